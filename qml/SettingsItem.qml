import QtQuick 2.0

// Clickable settings row with one line of text, and optionally a second,
// wrapped line (a state or a result) in the normal text size below it.
Rectangle {
    id: settingsItem

    property alias itemText: label.text
    property alias detailText: detail.text

    signal clicked

    height: root.itemHeight + (detail.visible ? detail.implicitHeight + 8 : 0)
    color: mouseArea.pressed ? "#bbbbbb" : "white"
    Accessible.role: Accessible.Button
    Accessible.name: detail.visible ? label.text + "\n" + detail.text : label.text
    Accessible.onPressAction: settingsItem.clicked()

    Text {
        id: label

        anchors {
            left: parent.left
            right: parent.right
            top: parent.top
            leftMargin: settingsItem.width * 0.05
            rightMargin: settingsItem.width * 0.05
        }
        height: root.itemHeight
        color: mouseArea.pressed ? "white" : "#555555"
        font.pointSize: 14
        fontSizeMode: Text.Fit
        minimumPointSize: 6
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    Text {
        id: detail

        objectName: "settingsItemDetail"
        anchors { left: label.left; right: label.right; top: label.bottom }
        visible: detail.text !== ""
        color: mouseArea.pressed ? "white" : "#555555"
        wrapMode: Text.Wrap
    }

    Rectangle {
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        height: 1
        color: "#bbbbbb"
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        onClicked: settingsItem.clicked()
    }
}
