import QtQuick 2.0

// A strip at the bottom of the main window that says what the contact store
// cannot do right now (waiting for a locked file, changes not saved yet),
// with a Retry button while changes wait to be saved.
Rectangle {
    id: storeStatus

    property var store

    height: storeStatus.visible ? Math.max(statusText.implicitHeight + 16, root.itemHeight) : 0
    visible: storeStatus.store !== null && storeStatus.store.statusMessage !== ""
    color: "#fff3cd"
    border { width: 1; color: "#e0c97a" }
    Accessible.role: Accessible.AlertMessage
    Accessible.name: statusText.text

    Text {
        id: statusText

        objectName: "storeStatusText"
        anchors {
            left: parent.left
            right: retryButton.visible ? retryButton.left : parent.right
            verticalCenter: parent.verticalCenter
            margins: 8
        }
        text: storeStatus.store ? storeStatus.store.statusMessage : ""
        color: styles.foreground.textColor
        wrapMode: Text.Wrap
    }

    Button {
        id: retryButton

        objectName: "storeRetryButton"
        anchors { right: parent.right; rightMargin: 8; verticalCenter: parent.verticalCenter }
        width: 120
        height: root.itemHeight * 0.8
        visible: storeStatus.store !== null && storeStatus.store.hasUnsavedChanges
        buttonText: qsTr("Retry")
        onClicked: storeStatus.store.retry()
    }
}
