import QtQuick 2.0

// Import/export form of the main scene. This version shows the progress that
// the main scene reports and closes with OK; the contact list with its ticks
// and the codec choice come with the full form.
OverlayForm {
    id: importExportForm

    property bool isExport: false
    property bool completed: false
    property int count: 0
    property int current: 0

    function show(_export) {
        if (importExportForm.opacity === 1.0) {
            return
        }
        importExportForm.isExport = _export
        importExportForm.completed = false
        importExportForm.count = 0
        importExportForm.current = 0
        importExportForm.open()
    }

    z: 999

    Rectangle {
        id: panel

        anchors.centerIn: parent
        width: importExportForm.width * 0.75
        height: importExportForm.height * 0.8
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        Text {
            anchors { left: parent.left; right: parent.right; top: parent.top; margins: 10 }
            height: root.itemHeight
            color: styles.foreground.textColor
            font.pointSize: 16
            fontSizeMode: Text.Fit
            minimumPointSize: 6
            verticalAlignment: Text.AlignVCenter
            text: importExportForm.completed
                  ? qsTr("Contacts successfully ") + (importExportForm.isExport ? qsTr("exported.") : qsTr("imported."))
                  : importExportForm.count > 0
                    ? (importExportForm.isExport ? qsTr("Exporting") : qsTr("Importing")) + qsTr(" contacts: ")
                      + importExportForm.current + "/" + importExportForm.count
                    : qsTr("Choose contacts to ") + (importExportForm.isExport ? qsTr("export:") : qsTr("import:"))
        }

        Button {
            objectName: "importExportOkButton"
            anchors { bottom: parent.bottom; bottomMargin: 10; right: parent.horizontalCenter; rightMargin: 5 }
            width: Math.min(panel.width * 0.4, 200)
            height: root.itemHeight * 0.8
            enabled: importExportForm.completed || importExportForm.count === 0
            buttonText: qsTr("OK")
            onClicked: {
                if (importExportForm.completed) {
                    importExportForm.close()
                } else if (importExportForm.isExport) {
                    importExport.exportContacts()
                } else if (!importExport.importParsedContacts()) {
                    importExportForm.close()
                }
            }
        }

        Button {
            objectName: "importExportCancelButton"
            anchors { bottom: parent.bottom; bottomMargin: 10; left: parent.horizontalCenter; leftMargin: 5 }
            width: Math.min(panel.width * 0.4, 200)
            height: root.itemHeight * 0.8
            enabled: importExportForm.count === 0
            buttonText: qsTr("Cancel")
            onClicked: importExportForm.close()
        }
    }
}
