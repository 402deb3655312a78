import QtQuick 2.0
import ContactsModelBackend 1.0
import ImportExportBackend 1.0
import FileDialogBackend 1.0

// Settings: the index alphabet, the sort order, and the start of an import
// or an export through the file dialogs.
OverlayForm {
    id: settingsForm

    function show() {
        settingsForm.open()
    }

    function onAlphabetSelect(choice) {
        contactsModel.changeAlphabet(choice === qsTr("english"))
    }

    function onSortSelect(choice) {
        contactsProxyModel.setSortRole(choice === qsTr("name") ? ContactsModel.NameRole
                                                               : ContactsModel.FullNameRole)
    }

    function startImport() {
        importDialog.showImport()
        settingsForm.close()
    }

    function onImportFileChosen(fileName) {
        if (fileName) {
            importExport.readContactsFromFile("Windows-1251", fileName)
        }
    }

    function onExportSelect(choice) {
        var method = exportRow.options.indexOf(choice)
        if (method < 0) {
            return
        }
        exportRow.exportMethod = method
        if (method === ImportExport.GOOGLE_CSV_METHOD) {
            exportDialog.showExport("contacts.csv")
        } else if (method === ImportExport.VCARD_METHOD) {
            exportDialog.showExport("contacts.vcf")
        } else {
            exportDialog.showExport("contacts.sqlite")
        }
        settingsForm.close()
    }

    function onExportFileChosen(fileName) {
        if (!fileName) {
            return
        }
        importExport.setContactsForExportFrom(contactsProxyModel)
        importExport.setExportFileAndMethod(fileName, exportRow.exportMethod)
        importExportForm.show(true)
    }

    z: 998
    Accessible.name: qsTr("Settings")

    FileDialog {
        id: importDialog

        onFileChosen: settingsForm.onImportFileChosen(fileName)
    }

    FileDialog {
        id: exportDialog

        onFileChosen: settingsForm.onExportFileChosen(fileName)
    }

    Rectangle {
        id: panel

        anchors {
            fill: parent
            leftMargin: settingsForm.width * 0.25
            rightMargin: settingsForm.width * 0.25
            topMargin: settingsForm.height * 0.25
            bottomMargin: settingsForm.height * 0.25
        }
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        Flickable {
            id: flickable

            anchors {
                left: parent.left
                right: parent.right
                top: parent.top
                bottom: closeButton.top
                margins: 1
                bottomMargin: 10
            }
            clip: true
            flickableDirection: Flickable.VerticalFlick
            boundsBehavior: Flickable.StopAtBounds
            contentWidth: flickable.width
            contentHeight: column.height

            Column {
                id: column

                width: flickable.width

                SettingsItem {
                    objectName: "alphabetRow"
                    width: column.width
                    itemText: qsTr("Alphabetical Index: ")
                              + (contactsModel.englishAlphabet ? qsTr("english") : qsTr("russian"))
                    onClicked: listViewForm.show([qsTr("russian"), qsTr("english")],
                                                 settingsForm.onAlphabetSelect)
                }

                SettingsItem {
                    objectName: "sortRow"
                    width: column.width
                    itemText: qsTr("Sorted by: ")
                              + (contactsProxyModel.sortRole === ContactsModel.NameRole
                                 ? qsTr("name") : qsTr("surname"))
                    onClicked: listViewForm.show([qsTr("name"), qsTr("surname")],
                                                 settingsForm.onSortSelect)
                }

                SettingsItem {
                    objectName: "importRow"
                    width: column.width
                    itemText: qsTr("Import contacts")
                    onClicked: settingsForm.startImport()
                }

                SettingsItem {
                    objectName: "duplicatesRow"
                    width: column.width
                    itemText: qsTr("Find duplicates…")
                    onClicked: {
                        settingsForm.close()
                        duplicatesForm.show()
                    }
                }

                SettingsItem {
                    objectName: "cardDavRow"
                    width: column.width
                    itemText: qsTr("CardDAV account: ")
                              + (carddav.configured ? carddav.addressBookName : qsTr("none"))
                    detailText: carddav.status
                    onClicked: {
                        settingsForm.close()
                        cardDavForm.show()
                    }
                }

                SettingsItem {
                    id: exportRow

                    property var options: [qsTr("Google CSV format"), qsTr("vCard format"),
                                           qsTr("kiv-contacts format")]
                    property int exportMethod: 0

                    objectName: "exportRow"
                    width: column.width
                    itemText: qsTr("Export contacts")
                    onClicked: listViewForm.show(exportRow.options, settingsForm.onExportSelect)
                }
            }
        }

        Button {
            id: closeButton

            objectName: "settingsCloseButton"
            anchors {
                bottom: parent.bottom
                bottomMargin: 10
                horizontalCenter: parent.horizontalCenter
            }
            width: Math.min(panel.width * 0.5, 200)
            height: root.itemHeight * 0.8
            buttonText: qsTr("Close")
            onClicked: settingsForm.close()
        }
    }
}
