import QtQuick 2.0

// Modal form over the whole scene: it dims the scene, swallows every click
// and fades in and out. It takes input only while fully shown.
Item {
    id: form

    // True from open() to close(): the form takes the keyboard focus at
    // once, while the shield below keeps the mouse out until it is shown.
    property bool opened: false

    function open() {
        form.opened = true
        form.opacity = 1.0
    }

    function close() {
        form.opened = false
        form.opacity = 0
    }

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
