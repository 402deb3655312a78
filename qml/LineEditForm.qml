import QtQuick 2.0

// Text prompt: one text field with OK and Cancel; OK hands the text back.
OverlayForm {
    id: lineEditForm

    property var okFunction

    function show(text, _okFunction) {
        lineEdit.text = text
        lineEditForm.okFunction = _okFunction
        lineEditForm.open()
        lineEdit.takeFocus()
    }

    z: 999

    Rectangle {
        id: panel

        anchors.centerIn: parent
        width: Math.min(lineEditForm.width * 0.5, 500)
        height: root.itemHeight * 2.4
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        FocusScope {
            id: focusScope

            anchors {
                left: parent.left
                right: parent.right
                top: parent.top
                leftMargin: panel.width * 0.05
                rightMargin: panel.width * 0.05
            }
            height: panel.height * 0.4

            LineEdit {
                id: lineEdit

                objectName: "lineEditFormInput"
                anchors.fill: parent
                placeholderText: qsTr("Type here...")
                focus: true
            }
        }

        Button {
            objectName: "lineEditOkButton"
            anchors { bottom: parent.bottom; bottomMargin: panel.height * 0.1 }
            x: panel.width * 0.05
            width: panel.width / 2 - panel.width * 0.1
            height: root.itemHeight * 0.8
            buttonText: qsTr("OK")
            onClicked: {
                lineEditForm.close()
                if (lineEditForm.okFunction) {
                    lineEditForm.okFunction(lineEdit.text)
                }
            }
        }

        Button {
            objectName: "lineEditCancelButton"
            anchors { bottom: parent.bottom; bottomMargin: panel.height * 0.1 }
            x: panel.width / 2 + panel.width * 0.05
            width: panel.width / 2 - panel.width * 0.1
            height: root.itemHeight * 0.8
            buttonText: qsTr("Cancel")
            onClicked: lineEditForm.close()
        }
    }
}
