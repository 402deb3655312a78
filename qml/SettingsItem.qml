import QtQuick 2.0

// Clickable settings row with one line of text.
Rectangle {
    id: settingsItem

    property alias itemText: label.text

    signal clicked

    height: root.itemHeight
    color: mouseArea.pressed ? "#bbbbbb" : "white"
    Accessible.role: Accessible.Button
    Accessible.name: label.text
    Accessible.onPressAction: settingsItem.clicked()

    Text {
        id: label

        anchors {
            fill: parent
            leftMargin: settingsItem.width * 0.05
            rightMargin: settingsItem.width * 0.05
        }
        color: mouseArea.pressed ? "white" : "#555555"
        font.pointSize: 14
        fontSizeMode: Text.Fit
        minimumPointSize: 6
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
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
