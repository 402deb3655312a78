import QtQuick 2.0

// Colours, gradients and line widths shared by every scene. The palette
// roles come from the desktop at run time.
SystemPalette {
    id: palette

    property color highlightColor: "sienna"
    property color lineColor: Qt.darker(palette.mid, 1.5)
    property color borderColor: Qt.darker(palette.mid, 1.5)

    property QtObject background: QtObject {
        property color color: palette.alternateBase
        property color borderColor: palette.borderColor
        property int radius: 0
        property int borderWidth: 0
        property var gradient: undefined
    }

    property QtObject foreground: QtObject {
        property color color
        property color borderColor: palette.borderColor
        property color textColor: "#333333"
        property int radius: 5
        property int borderWidth: 1
        property Gradient gradient: Gradient {
            GradientStop { position: 0.0; color: palette.window }
            GradientStop { position: 0.5; color: palette.base }
            GradientStop { position: 1.0; color: palette.window }
        }
    }

    // The header bar: white icons and labels on a dark brown (7:1).
    property QtObject header: QtObject {
        property color color: "saddlebrown"
        property color borderColor: palette.borderColor
        property color textColor: "#ffffff"
        property color placeholderColor: "#f0e0d0"
        property color myColor: palette.button
        property int radius: 0
        property int borderWidth: 1
    }

    property QtObject buttons: QtObject {
        property color color
        property color borderColor: palette.borderColor
        property color textColor: "#222222"
        property int radius: 4
        property int borderWidth: 1
        property QtObject gradient: QtObject {
            property Gradient default_: Gradient {
                GradientStop { position: 0.0; color: Qt.lighter(palette.button, 1.1) }
                GradientStop { position: 1.0; color: Qt.darker(palette.button, 1.1) }
            }
            property Gradient click: Gradient {
                GradientStop { position: 0.0; color: Qt.darker(palette.button, 1.1) }
                GradientStop { position: 1.0; color: Qt.lighter(palette.button, 1.1) }
            }
            property Gradient defaultLight: Gradient {
                GradientStop { position: 0.0; color: Qt.lighter(palette.highlightColor) }
                GradientStop { position: 1.0; color: palette.highlightColor }
            }
            property Gradient clickLight: Gradient {
                GradientStop { position: 0.0; color: palette.highlightColor }
                GradientStop { position: 1.0; color: Qt.lighter(palette.highlightColor) }
            }
            property Gradient defaultDark: Gradient {
                GradientStop { position: 0.0; color: Qt.darker(palette.button, 1.1) }
                GradientStop { position: 1.0; color: Qt.darker(palette.button, 1.3) }
            }
            property Gradient clickDark: Gradient {
                GradientStop { position: 0.0; color: Qt.darker(palette.button, 1.3) }
                GradientStop { position: 1.0; color: Qt.darker(palette.button, 1.1) }
            }
        }
    }

    property QtObject calendar: QtObject {
        id: calendarStyle

        property color borderColor: "#eeeeee"
        property color headerColor: "#303030"
        property int radius: 2
        property int borderWidth: 1
        property QtObject text: QtObject {
            property color header: "white"
            property color normal: "#333333"
            property color grey: "grey"
            property color red: "red"
        }
        property QtObject gradient: QtObject {
            property Gradient headerTop: Gradient {
                GradientStop { position: 0.0; color: calendarStyle.headerColor }
                GradientStop { position: 1.0; color: Qt.lighter(calendarStyle.headerColor, 1.5) }
            }
            property Gradient headerBottom: Gradient {
                GradientStop { position: 0.0; color: Qt.lighter(calendarStyle.headerColor, 1.5) }
                GradientStop { position: 1.0; color: Qt.lighter(calendarStyle.headerColor, 2) }
            }
            property Gradient background: Gradient {
                GradientStop { position: 0.5; color: palette.base }
                GradientStop { position: 1.0; color: palette.alternateBase }
            }
        }
    }

    property QtObject lineedit: QtObject {
        id: lineeditStyle

        property color borderColor: lineeditStyle.placeholderColor
        property color textColor: palette.foreground.textColor
        property color placeholderColor: "#888888"
    }

    property QtObject checkbox: QtObject {
        property color background: "#33ffffff"
        property color foreground: palette.highlightColor
        property color borderColor: palette.borderColor
        property color textColor: "#222222"
        property int radius: 2
        property int borderWidth: 0
    }

    colorGroup: SystemPalette.Active
}
