import QtQuick 2.0

// Message with OK, or a question with OK and Cancel whose OK calls back.
// A question may name its two buttons (OK's first).
OverlayForm {
    id: messageForm

    property var selectFunction
    property var cancelFunction: null
    property bool showCancel: false
    property string okText: qsTr("OK")
    property string cancelText: qsTr("Cancel")

    function show(text, cancel, _selectFunction, _cancelFunction, _okText, _cancelText) {
        message.text = text
        messageForm.showCancel = cancel ? true : false
        if (_selectFunction !== undefined) {
            messageForm.selectFunction = _selectFunction
        }
        messageForm.cancelFunction = _cancelFunction !== undefined ? _cancelFunction : null
        messageForm.okText = _okText !== undefined ? _okText : qsTr("OK")
        messageForm.cancelText = _cancelText !== undefined ? _cancelText : qsTr("Cancel")
        messageForm.open()
    }

    // The Cancel button's action (or OK's, when there is no Cancel).
    function cancel() {
        messageForm.close()
        if (messageForm.showCancel && messageForm.cancelFunction) {
            messageForm.cancelFunction()
        }
    }

    z: 999
    Accessible.name: message.text
    onAccepted: okButton.clicked()

    Rectangle {
        id: panel

        anchors.centerIn: parent
        width: Math.min(messageForm.width, messageForm.height) * 0.6
        height: panel.width
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        Text {
            id: message

            objectName: "messageText"
            anchors {
                left: parent.left
                right: parent.right
                top: parent.top
                bottom: okButton.top
                margins: panel.height * 0.05
            }
            color: styles.foreground.textColor
            font.pointSize: 16
            fontSizeMode: Text.Fit
            minimumPointSize: 6
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }

        Button {
            id: okButton

            objectName: "messageOkButton"
            anchors { bottom: parent.bottom; bottomMargin: panel.height * 0.05 }
            x: messageForm.showCancel ? panel.width * 0.05 : panel.width / 4
            width: messageForm.showCancel ? panel.width / 2 - panel.width * 0.1 : panel.width / 2
            height: root.itemHeight * 0.8
            buttonText: messageForm.okText
            onClicked: {
                messageForm.close()
                if (messageForm.showCancel && messageForm.selectFunction) {
                    messageForm.selectFunction()
                }
            }
        }

        Button {
            id: cancelButton

            objectName: "messageCancelButton"
            anchors { bottom: parent.bottom; bottomMargin: panel.height * 0.05 }
            x: panel.width / 2 + panel.width * 0.05
            width: panel.width / 2 - panel.width * 0.1
            height: root.itemHeight * 0.8
            visible: messageForm.showCancel
            buttonText: messageForm.cancelText
            onClicked: messageForm.cancel()
        }
    }
}
