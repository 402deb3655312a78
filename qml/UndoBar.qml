import QtQuick 2.0

// A strip at the bottom of the main window after contacts were removed:
// "N contacts deleted" and an Undo button, for ten seconds or until the next
// removal.
Rectangle {
    id: undoBar

    property var model
    // The number of contacts the bar offers to bring back.
    readonly property int count: undoBar.model ? undoBar.model.undoableCount : 0

    height: undoBar.visible ? Math.max(undoText.implicitHeight + 16, root.itemHeight) : 0
    visible: undoBar.count > 0
    color: "#323232"
    Accessible.role: Accessible.AlertMessage
    Accessible.name: undoText.text

    onCountChanged: {
        if (undoBar.count > 0) {
            undoTimer.restart()
        }
    }

    Timer {
        id: undoTimer

        objectName: "undoTimer"
        interval: 10000
        onTriggered: undoBar.model.dropUndo()
    }

    Text {
        id: undoText

        objectName: "undoText"
        anchors {
            left: parent.left
            right: undoButton.left
            verticalCenter: parent.verticalCenter
            margins: 8
        }
        text: undoBar.model && undoBar.model.undoableMerge
              ? qsTr("%Ln contacts merged", "", undoBar.count)
              : undoBar.count === 1 ? qsTr("1 contact deleted")
                                    : qsTr("%Ln contacts deleted", "", undoBar.count)
        color: "white"
        wrapMode: Text.Wrap
    }

    Button {
        id: undoButton

        objectName: "undoButton"
        anchors { right: parent.right; rightMargin: 8; verticalCenter: parent.verticalCenter }
        width: 120
        height: root.itemHeight * 0.8
        buttonText: qsTr("Undo")
        onClicked: undoBar.model.undoRemoval()
    }
}
