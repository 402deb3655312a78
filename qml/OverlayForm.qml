import QtQuick 2.0

// Modal form over the whole scene: it dims the scene, swallows every click
// and fades in and out. It takes input only while fully shown.
Item {
    id: form

    function open() {
        form.opacity = 1.0
    }

    function close() {
        form.opacity = 0
    }

    anchors.fill: parent
    opacity: 0
    visible: form.opacity > 0
    enabled: form.opacity === 1.0
    Accessible.role: Accessible.Dialog

    Behavior on opacity { NumberAnimation { duration: 250 } }

    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        anchors.fill: parent
        color: "#55000000"
    }
}
