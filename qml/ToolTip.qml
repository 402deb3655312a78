import QtQuick 2.0

// Names an icon-only button after the pointer rests on it for a moment (desktop mode).
// Placed inside the button; `area` is the button's mouse area, hover-enabled on the desktop.
Rectangle {
    id: toolTip

    property MouseArea area: null
    property string text
    property bool rested: false
    // Pressed since the pointer came: the tip stays away until it leaves and comes back.
    property bool pressed: false

    objectName: "toolTip"
    // Below the button, kept inside the window.
    x: Math.max(parent.width - toolTip.width - 4, 4 - (parent.mapToItem(null, 0, 0).x))
    y: parent.height + 4
    z: 100
    width: tipText.implicitWidth + 12
    height: tipText.implicitHeight + 8
    visible: toolTip.rested && toolTip.area !== null && toolTip.area.containsMouse
             && toolTip.text !== ""
    color: "#ffffe1"
    border { width: 1; color: "#767676" }

    Text {
        id: tipText

        anchors.centerIn: parent
        text: toolTip.text
        color: "#000000"
    }

    Timer {
        interval: 600
        running: !tabletMode && toolTip.area !== null && toolTip.area.containsMouse
                 && !toolTip.pressed && toolTip.text !== ""
        onTriggered: toolTip.rested = true
    }

    Connections {
        target: toolTip.area

        function onContainsMouseChanged() {
            if (!toolTip.area.containsMouse) {
                toolTip.rested = false
                toolTip.pressed = false
            }
        }

        function onPressedChanged() {
            if (toolTip.area.pressed) {
                toolTip.rested = false
                toolTip.pressed = true
            }
        }
    }
}
