import QtQuick 2.0

// Right-hand side of the main scene: the details of the selected contact,
// or the editor in their place while a contact is added or edited.
Item {
    id: contactDetails

    property alias detailsToView: view
    property alias detailsToSave: edit

    Shadow {
        target: background
        horizontalOffset: -5
        verticalOffset: 0
    }

    Rectangle {
        id: background

        anchors.fill: parent
        color: "white"
    }

    ContactDetailsView {
        id: view

        objectName: "detailsView"
        anchors {
            fill: parent
            margins: 30
            bottomMargin: 0
        }
        visible: !edit.visible && !root.removeMode && contactsProxyModel.currentIndex >= 0
        enabled: view.visible
    }

    Text {
        objectName: "removalHint"
        anchors { fill: parent; margins: 30 }
        visible: root.removeMode && !edit.visible
        text: qsTr("Tap contacts to mark them, then press the tick button above to delete them.")
        color: styles.foreground.textColor
        font.pointSize: 14
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }

    ContactDetailsEdit {
        id: edit

        objectName: "detailsEditor"
        anchors {
            fill: parent
            leftMargin: 30
            rightMargin: 30
        }
        visible: false
    }
}
