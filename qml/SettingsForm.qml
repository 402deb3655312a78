import QtQuick 2.0
import ContactsModelBackend 1.0
import ImportExportBackend 1.0
import FileDialogBackend 1.0

// Settings: the index alphabet, the sort order, the start of an import or
// an export through the file dialogs, and the contact groups, which can be
// made, renamed and deleted here.
OverlayForm {
    id: settingsForm

    // Each group's "name" and "count".
    property var groupRows: []

    function show() {
        settingsForm.groupRows = contactsModel.groupCounts()
        settingsForm.open()
    }

    function cleanName(text) {
        return String(text).replace(/\s+/g, " ").trim()
    }

    function addGroup(text) {
        var name = settingsForm.cleanName(text)
        if (name !== "" && !contactsModel.addGroup(name)) {
            messageForm.show(qsTr("There is a group “%1” already.")
                             .arg(contactsModel.groupNamed(name)), false)
        }
    }

    // A blank name is refused; the name of another group joins the two,
    // after a question.
    function renameGroup(from, text) {
        var to = settingsForm.cleanName(text)
        if (to === "") {
            messageForm.show(qsTr("A group needs a name."), false)
            return
        }
        var other = contactsModel.groupNamed(to)
        if (other === "" || other === from) {
            contactsModel.renameGroup(from, to)
            return
        }
        messageForm.show(qsTr("There is a group “%1” already. Put the contacts of “%2” into it?")
                         .arg(other).arg(from), true,
                         function() { contactsModel.renameGroup(from, to) }, null, qsTr("Join"))
    }

    function askRenameGroup(name) {
        lineEditForm.show(name, function(text) { settingsForm.renameGroup(name, text) })
    }

    function askRemoveGroup(name) {
        messageForm.show(qsTr("Delete the group “%1”? Its contacts stay in the address book.")
                         .arg(name), true, function() { contactsModel.removeGroup(name) },
                         null, qsTr("Delete"))
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

    Connections {
        target: contactsModel

        function onGroupsChanged() {
            settingsForm.groupRows = contactsModel.groupCounts()
        }
    }

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

            objectName: "settingsList"
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

                GroupLabel {
                    width: column.width
                    leftMargin: column.width * 0.05
                    text: qsTr("GROUPS")
                }

                Repeater {
                    model: settingsForm.groupRows

                    SettingsGroupItem {
                        objectName: "groupRow_" + modelData.name
                        width: column.width
                        name: modelData.name
                        count: modelData.count
                        onRenameClicked: settingsForm.askRenameGroup(modelData.name)
                        onRemoveClicked: settingsForm.askRemoveGroup(modelData.name)
                    }
                }

                SettingsItem {
                    objectName: "newGroupRow"
                    width: column.width
                    itemText: qsTr("New group…")
                    onClicked: lineEditForm.show("", settingsForm.addGroup)
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
