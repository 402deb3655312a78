import QtQuick 2.0
import QtQuick.Window 2.2

// Modal form over the whole scene: it dims the scene, swallows every click
// and fades in and out. It takes input only while fully shown, and owns the
// keyboard while it is open: typing never reaches the scene behind it, Enter
// is accepted() (Escape is the scene's Cancel), and the keys go back where
// they were when it closes.
FocusScope {
    id: form

    // True from open() to close(): the form takes the keyboard focus at
    // once, while the shield below keeps the mouse out until it is shown.
    property bool opened: false
    property Item keysBefore: null

    signal accepted()

    function open() {
        if (!form.opened) {
            form.keysBefore = form.Window.activeFocusItem
        }
        form.opened = true
        form.opacity = 1.0
        form.forceActiveFocus()
    }

    function close() {
        form.opened = false
        form.opacity = 0
        if (form.activeFocus && form.keysBefore && form.keysBefore.visible) {
            form.keysBefore.forceActiveFocus()
        }
        form.keysBefore = null
    }

    Keys.onReturnPressed: form.accepted()
    Keys.onEnterPressed: form.accepted()
    anchors.fill: parent
    opacity: 0
    visible: form.opened || form.opacity > 0
    enabled: form.opened
    Accessible.role: Accessible.Dialog

    Behavior on opacity { NumberAnimation { duration: 250 } }

    // Clicks, wheel turns and drags never reach the scene behind the form.
    MouseArea {
        anchors.fill: parent
        onWheel: wheel.accepted = true
    }

    MouseArea {
        objectName: "fadeShield"
        anchors.fill: parent
        z: 1000
        visible: form.opacity < 1.0
        onWheel: wheel.accepted = true
    }

    Rectangle {
        anchors.fill: parent
        color: "#55000000"
    }
}
