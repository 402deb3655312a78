import QtQuick 2.9

// A group in the settings: its name with the number of members, and buttons
// to rename and to delete it. The buttons take the keyboard by Tab; Space
// presses them.
Rectangle {
    id: groupItem

    property string name: ""
    property int count: 0

    signal renameClicked
    signal removeClicked

    height: root.itemHeight
    color: "white"
    Accessible.role: Accessible.ListItem
    Accessible.name: label.text

    Text {
        id: label

        anchors {
            left: parent.left
            right: parent.right
            leftMargin: groupItem.width * 0.05
            rightMargin: 2 * (groupItem.height + 4) + 5
            verticalCenter: parent.verticalCenter
        }
        text: qsTr("%1 (%2)").arg(groupItem.name).arg(groupItem.count)
        color: "#555555"
        font.pointSize: 14
        fontSizeMode: Text.Fit
        minimumPointSize: 6
        elide: Text.ElideRight
    }

    Repeater {
        model: [
            { "objectName": "renameGroupButton", "image": "images/pencil.png",
              "text": qsTr("Rename the group %1").arg(groupItem.name) },
            { "objectName": "removeGroupButton", "image": "images/remove.png",
              "text": qsTr("Delete the group %1").arg(groupItem.name) }
        ]

        Rectangle {
            id: button

            function press() {
                if (index === 0) {
                    groupItem.renameClicked()
                } else {
                    groupItem.removeClicked()
                }
            }

            objectName: modelData.objectName
            x: groupItem.width - (2 - index) * (groupItem.height + 4)
            width: groupItem.height
            height: groupItem.height
            color: buttonMouse.pressed ? "#bbbbbb" : "white"
            radius: 4
            border { width: button.activeFocus ? 1 : 0; color: styles.highlightColor }
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: modelData.text
            Accessible.onPressAction: button.press()
            Keys.onSpacePressed: button.press()

            Image {
                anchors { fill: parent; margins: parent.height * 0.2 }
                source: modelData.image
                fillMode: Image.PreserveAspectFit
                smooth: true
            }

            MouseArea {
                id: buttonMouse

                anchors.fill: parent
                hoverEnabled: !tabletMode
                onClicked: button.press()
            }

            ToolTip {
                area: buttonMouse
                text: modelData.text
            }
        }
    }

    Rectangle {
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        height: 1
        color: "#bbbbbb"
    }
}
