import QtQuick 2.9

// Tick box with an optional label; a click (or Space while it has the
// keyboard) flashes it, inverts `on` and then emits clicked.
Item {
    id: checkBox

    property bool on: false
    property color customColor: styles.checkbox.foreground
    property alias text: label.text
    property alias textColor: label.color
    property alias fontSize: label.font.pointSize
    property real checkBoxLeftMargin: (Math.min(checkBox.width, checkBox.height) - box.width) / 2

    signal clicked

    function toggle() {
        flashAnimation.restart()
        checkBox.on = !checkBox.on
        checkBox.clicked()
    }

    height: root.itemHeight
    width: checkBox.height + label.width
    Accessible.role: Accessible.CheckBox
    Accessible.name: label.text
    Accessible.checkable: true
    Accessible.checked: checkBox.on
    Accessible.onPressAction: checkBox.toggle()
    Accessible.onToggleAction: checkBox.toggle()
    Keys.onSpacePressed: checkBox.toggle()

    Rectangle {
        id: flash

        anchors.fill: parent
        radius: 4
        color: Qt.lighter(checkBox.customColor)
        opacity: 0
    }

    Rectangle {
        anchors.fill: parent
        visible: checkBox.activeFocus
        color: "transparent"
        radius: 4
        border { width: 1; color: styles.highlightColor }
    }

    Rectangle {
        id: box

        x: checkBox.checkBoxLeftMargin
        anchors.verticalCenter: parent.verticalCenter
        width: tabletMode ? 35 : 20
        height: box.width
        color: checkBox.enabled ? styles.checkbox.background : "lightgrey"
        radius: styles.checkbox.radius
        border { width: 1; color: styles.checkbox.borderColor }
    }

    Text {
        id: mark

        anchors {
            centerIn: box
            horizontalCenterOffset: box.width / 3
            verticalCenterOffset: -box.width / 3
        }
        visible: checkBox.on
        text: "\u2713"
        color: checkBox.enabled ? checkBox.customColor : "grey"
        font.pixelSize: box.height * 2.6
    }

    Text {
        id: label

        anchors {
            left: box.right
            leftMargin: 5
            verticalCenter: parent.verticalCenter
        }
        color: checkBox.enabled ? checkBox.customColor : "grey"
        font.pointSize: 10
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        onClicked: checkBox.toggle()
    }

    SequentialAnimation {
        id: flashAnimation

        NumberAnimation { target: flash; property: "opacity"; to: 1.0; duration: 150 }
        NumberAnimation { target: flash; property: "opacity"; to: 0.0; duration: 250 }
    }
}
