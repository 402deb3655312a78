import QtQuick 2.0

// OK/Cancel bar laid over the header while a contact is edited or contacts
// are marked for deletion.
Item {
    id: headerOkCancel

    property var onSelectFunction

    function show(_onSelectFunction) {
        headerOkCancel.onSelectFunction = _onSelectFunction
        headerOkCancel.visible = true
    }

    function finish(accepted) {
        headerOkCancel.visible = false
        if (headerOkCancel.onSelectFunction) {
            headerOkCancel.onSelectFunction(accepted)
        }
    }

    visible: false

    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        anchors.fill: parent
        color: styles.header.color
    }

    Row {
        anchors { top: parent.top; bottom: parent.bottom; right: parent.right }
        layoutDirection: Qt.RightToLeft

        MenuButton {
            objectName: "cancelButton"
            imagePath: "images/remove.png"
            text: ""
            leftBorder: true
            Accessible.name: qsTr("Cancel")
            onClicked: headerOkCancel.finish(false)
        }

        MenuButton {
            objectName: "okButton"
            imagePath: "images/ok.png"
            text: ""
            leftBorder: true
            Accessible.name: qsTr("OK")
            onClicked: headerOkCancel.finish(true)
        }
    }
}
