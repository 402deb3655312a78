import QtQuick 2.0

// A strip at the bottom of the main window about the CardDAV sync: the last
// run's failure with a way to the account settings, or, after a run that
// kept both versions of contacts changed on both sides, a note saying so.
Rectangle {
    id: syncStatus

    readonly property bool failed: carddav.configured && carddav.lastError !== ""
    readonly property string message: syncStatus.failed
                                      ? qsTr("Sync failed: %1").arg(carddav.lastError)
                                      : carddav.conflictNote

    height: syncStatus.visible ? Math.max(syncText.implicitHeight + 16, root.itemHeight) : 0
    visible: syncStatus.message !== ""
    color: syncStatus.failed ? "#f8d7da" : "#d1ecf1"
    border { width: 1; color: syncStatus.failed ? "#e0a0a6" : "#9fcdd8" }
    Accessible.role: Accessible.AlertMessage
    Accessible.name: syncText.text

    Text {
        id: syncText

        objectName: "syncStatusText"
        anchors {
            left: parent.left
            right: syncButton.left
            verticalCenter: parent.verticalCenter
            margins: 8
        }
        text: syncStatus.message
        color: styles.foreground.textColor
        wrapMode: Text.Wrap
    }

    Button {
        id: syncButton

        objectName: "syncStatusButton"
        anchors { right: parent.right; rightMargin: 8; verticalCenter: parent.verticalCenter }
        width: Math.min(180, syncStatus.width * 0.4)
        height: root.itemHeight * 0.8
        buttonText: syncStatus.failed ? qsTr("Account settings") : qsTr("OK")
        onClicked: syncStatus.failed ? cardDavForm.show() : carddav.acknowledgeConflicts()
    }
}
