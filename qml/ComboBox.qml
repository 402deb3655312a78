import QtQuick 2.0
import QtGraphicalEffects 1.0

// Group-label picker: shows the chosen label and lets the user choose another
// one, add a new one or remove one of the user's own labels.
Item {
    id: comboBox

    property string currentString: ""
    property string defaultString: ""

    // Handles a label chosen in the list chooser or typed in the text prompt.
    function onSelectNewText(newText) {
        if (newText === undefined || newText === null || newText === "") {
            return
        }
        var labels = contactsProxyModel.groupLabels
        var position = -1
        for (var i = 0; i < labels.length; ++i) {
            if (labels[i] === newText) {
                position = i
                break
            }
        }
        if (position < 0) {
            contactsProxyModel.addGroupLabel(newText)
            comboBox.currentString = newText
        } else if (position === labels.length - 1) {
            lineEditForm.show("", comboBox.onSelectNewText)
        } else {
            comboBox.currentString = newText
        }
    }

    function open() {
        listViewForm.groupMode = true
        listViewForm.show(contactsProxyModel.groupLabels, comboBox.onSelectNewText)
    }

    width: 200
    height: root.itemHeight
    Accessible.role: Accessible.ComboBox
    Accessible.name: label.text
    Accessible.onPressAction: comboBox.open()

    Shadow {
        target: face
        horizontalOffset: mouseArea.pressed ? 0 : -1
        verticalOffset: mouseArea.pressed ? 0 : 1
        radius: 2
        samples: 4
    }

    Rectangle {
        id: face

        anchors.fill: parent
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        ConicalGradient {
            anchors { fill: parent; margins: 1 }
            angle: -45
            horizontalOffset: -width / 2
            verticalOffset: -height / 2
            gradient: Gradient {
                GradientStop { position: 0.4; color: mouseArea.pressed ? "#f0f0f0" : "transparent" }
                GradientStop { position: 0.5; color: "#eeeeee" }
                GradientStop { position: 0.6; color: "#f0f0f0" }
            }
        }
    }

    Text {
        id: label

        anchors {
            fill: parent
            leftMargin: 4
            rightMargin: 4
            bottomMargin: comboBox.height * 0.1
        }
        text: comboBox.currentString !== "" ? comboBox.currentString : comboBox.defaultString
        color: "#555555"
        font.pointSize: 14
        fontSizeMode: Text.Fit
        minimumPointSize: 6
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignBottom
        elide: Text.ElideMiddle
        scale: mouseArea.pressed ? 0.95 : 1.0
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        onClicked: comboBox.open()
    }
}
