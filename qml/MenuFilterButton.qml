import QtQuick 2.0
import QtGraphicalEffects 1.0

// Filter button of the header bar ("All", "Favorites", the groups' menu):
// icon and label, with a highlight while checked. A button that opens a menu
// carries a mark after its label; a long label is elided.
Rectangle {
    id: filterButton

    property alias text: label.text
    property alias fontBold: label.font.bold
    property alias imagePath: icon.source
    property alias imageColor: iconOverlay.color
    property bool checked: false
    // Icon only, with narrow margins: for a narrow window.
    property bool compact: false
    property bool opensMenu: false
    property real labelMaxWidth: 200
    readonly property real compactWidth: iconBox.width + 12
    // The width with the label, whether it is shown or not.
    readonly property real fullWidth: 10 + iconBox.width + filterButton.height * 0.2
                                      + label.width + menuMark.width + 15

    readonly property bool overlaid: !lowEffects && String(iconOverlay.color) !== "#000000"

    signal clicked
    signal pressAndHold

    width: filterButton.compact ? filterButton.compactWidth
                                : label.x + label.width + menuMark.width + 15
    height: parent ? parent.height : root.itemHeight
    color: "transparent"
    enabled: filterButton.opacity !== 0
    Accessible.role: Accessible.Button
    Accessible.name: label.text
    Accessible.checkable: true
    Accessible.checked: filterButton.checked
    Accessible.onPressAction: filterButton.clicked()

    Rectangle {
        anchors.fill: parent
        color: styles.highlightColor
        opacity: filterButton.checked ? 0.3 : 0

        Behavior on opacity { NumberAnimation {} }
    }

    Rectangle {
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        height: filterButton.height * 0.1
        color: styles.highlightColor
        opacity: filterButton.checked ? 1 : 0

        Behavior on opacity { NumberAnimation {} }
    }

    Rectangle {
        anchors { right: parent.right; top: parent.top; bottom: parent.bottom }
        width: tabletMode ? 2 : 1
        color: styles.lineColor
    }

    Shadow {
        target: iconBox
        horizontalOffset: -1
        verticalOffset: 1
        radius: 2
        samples: 4
    }

    Item {
        id: iconBox

        x: filterButton.compact ? 6 : 10
        anchors.verticalCenter: parent.verticalCenter
        width: filterButton.height * 0.7
        height: iconBox.width

        Image {
            id: icon

            anchors.fill: parent
            fillMode: Image.PreserveAspectFit
            smooth: true
            visible: !filterButton.overlaid
        }

        ColorOverlay {
            id: iconOverlay

            objectName: "iconOverlay"
            anchors.fill: icon
            source: icon
            visible: filterButton.overlaid
            color: "#000000"
        }
    }

    Text {
        id: label

        anchors.verticalCenter: parent.verticalCenter
        x: iconBox.x + iconBox.width + filterButton.height * 0.2
        width: Math.min(label.implicitWidth, filterButton.labelMaxWidth)
        visible: !filterButton.compact
        color: styles.header.textColor
        font { pointSize: 13; bold: true }
        style: Text.Sunken
        styleColor: "#999999"
        elide: Text.ElideRight
    }

    Text {
        id: menuMark

        anchors { left: label.right; leftMargin: 4; verticalCenter: parent.verticalCenter }
        width: filterButton.opensMenu ? menuMark.implicitWidth + 4 : 0
        visible: filterButton.opensMenu && !filterButton.compact
        text: "\u25BE"
        color: styles.header.textColor
        font.pointSize: 11
    }

    Shadow {
        target: label
        horizontalOffset: -1
        verticalOffset: 1
        color: "#bb000000"
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        hoverEnabled: !tabletMode
        onClicked: filterButton.clicked()
        onPressAndHold: filterButton.pressAndHold()
    }

    // An icon alone is named when the pointer rests on it.
    ToolTip {
        area: mouseArea
        text: filterButton.compact || label.text === "" ? filterButton.Accessible.name : ""
    }
}
