import QtQuick 2.9
import ContactsModelBackend 1.0
import ContactsProxyModelBackend 1.0
import ImportExportBackend 1.0

// The main scene: header bar, contact list with its letter index, contact
// details, and the overlay forms; it holds the add, edit and removal flows.
Rectangle {
    id: root

    property int minWidth: 360
    property int minHeight: 600
    property real itemHeight: tabletMode ? 80 : 50
    property bool removeMode: false
    property string photoToSave: ""
    // True once the contacts are loaded and sorted.
    property bool loaded: false
    // The sync changed stored contacts while something was being edited:
    // the lists take the changes once it closes.
    property bool syncReloadPending: false
    // True while the lists take the sync's changes, which are no local
    // changes to sync.
    property bool reloadingForSync: false
    // The person chose to quit although changes could not be saved.
    property bool unsavedLossAccepted: false
    // True while a list, a line or the calendar is open to choose a value
    // (over the editor or another form).
    readonly property bool choosing: listViewForm.opened || lineEditForm.opened
                                     || calendarForm.opened
    // True while the editor, the removal mode or a form is open: requests
    // from outside wait until it closes.
    readonly property bool busy: bigPhotoRect.visible || root.removeMode || listViewForm.visible
                                 || lineEditForm.visible || calendarForm.visible
                                 || settingsForm.visible || cardDavForm.visible
                                 || duplicatesForm.visible
                                 || importExportForm.visible
                                 || messageForm.visible

    signal showEditDetails(bool add)
    signal hideEditDetails
    signal saveEditDetails
    signal updatePhoto(string id)

    // Starts adding a contact, or editing the current one; not while the
    // editor, the removal mode or a form is open (Return on the list in the
    // removal mode would otherwise leave it without its OK/Cancel header).
    function changeContact(add) {
        if (root.busy || (!add && contactsProxyModel.currentIndex < 0)) {
            return
        }
        header.addingContact = add
        if (add) {
            bigPhoto.photoSource = "images/user_128.png"
        }
        bigPhotoRect.visible = true
        headerOkCancel.show(root.closeEditDetails)
        root.photoToSave = ""
        root.showEditDetails(add)
    }

    function closeEditDetails(save) {
        if (save) {
            root.saveEditDetails()
            if (!root.validateNewContact() || !contactDetails.detailsToSave.validate()) {
                headerOkCancel.show(root.closeEditDetails)
                return
            }
            var savedId = contactsProxyModel.currentId
            if (header.addingContact) {
                contactsProxyModel.addNewContact(root.photoToSave)
                savedId = contactsProxyModel.lastAddedId()
            } else {
                contactsProxyModel.saveContactChanges(root.photoToSave)
                contactDetails.detailsToView.updatePhoto()
                if (root.photoToSave !== "" && contactsProxyModel.currentIndex >= 0) {
                    root.updatePhoto(contactsProxyModel.currentData(ContactsModel.IdRole))
                }
            }
        }
        bigPhotoRect.visible = false
        root.hideEditDetails()
        contactList.takeFocus()
        if (save) {
            // The saved contact is selected and in view wherever it sorts.
            contactList.revealContact(savedId)
        }
    }

    // The sync changed stored contacts: the lists take the changed contacts
    // once nothing is being edited, a share at a time (the sync signals
    // again while more are left), so that the window keeps repainting.
    function reloadAfterSync() {
        if (root.busy) {
            root.syncReloadPending = true
            return
        }
        root.syncReloadPending = false
        root.reloadingForSync = true
        contactsModel.takeStoredContacts(carddav.takeStoredContacts(), carddav.takeRemovedIds())
        root.reloadingForSync = false
    }

    function showRemoveMode() {
        contactsProxyModel.contactsToRemove = []
        root.removeMode = true
        headerOkCancel.show(root.closeRemoveMode)
    }

    // The marks stay (and the details stay hidden) while the deletion is
    // being confirmed.
    function closeRemoveMode(remove) {
        var marked = contactsProxyModel.contactsToRemove.length
        if (remove && marked > 0) {
            messageForm.show(qsTr("Are you really want to delete %Ln contact.?", "", marked), true,
                             root.closeRemoveModeAndRemove, root.endRemoveMode)
            return
        }
        root.endRemoveMode()
    }

    function closeRemoveModeAndRemove() {
        contactsProxyModel.removeContacts()
        root.endRemoveMode()
    }

    function endRemoveMode() {
        root.removeMode = false
        contactList.takeFocus()
    }

    // Delete on the list: the removal mode's question for the selected
    // contact.
    function askRemoveCurrent() {
        if (root.busy || contactsProxyModel.currentIndex < 0) {
            return
        }
        contactsProxyModel.contactsToRemove = [String(contactsProxyModel.currentIndex)]
        root.removeMode = true
        root.closeRemoveMode(true)
    }

    // Escape: Cancel on what is open (a question, a form, the editor or the
    // removal mode), else the search is cleared and the list takes the keys.
    function cancelOrClear() {
        if (messageForm.opened) {
            messageForm.cancel()
        } else if (importExportForm.opened && !importExportForm.completed
                   && importExportForm.count > 0) {
            return
        } else if (importExportForm.opened) {
            importExportForm.close()
        } else if (settingsForm.opened) {
            settingsForm.close()
        } else if (cardDavForm.opened) {
            cardDavForm.close()
        } else if (duplicatesForm.opened) {
            duplicatesForm.close()
        } else if (root.choosing) {
            listViewForm.close()
            lineEditForm.close()
            calendarForm.close()
        } else if (headerOkCancel.visible) {
            headerOkCancel.finish(false)
        } else {
            header.searchText = ""
            contactList.takeFocus()
        }
    }

    // Keeps the shown one of two versions of a contact: the other goes as
    // any removal does, undoable and then synced.
    function keepConflictVersion() {
        var other = carddav.conflictPartner(contactsProxyModel.currentId)
        if (other !== "") {
            contactsProxyModel.removeContact(other)
        }
    }

    function validateNewContact() {
        var contact = contactsProxyModel.newContact
        var name = contact.name + contact.surname + contact.middlename
        if (name.trim() === "") {
            messageForm.show(qsTr("Can not save contact without name."), false)
            return false
        }
        return true
    }

    // The contact being edited mirrors the editor's fields.
    function bindNewContact() {
        var contact = contactsProxyModel.newContact
        var editor = contactDetails.detailsToSave
        contact.name = Qt.binding(function() { return editor.nameText })
        contact.surname = Qt.binding(function() { return editor.surnameText })
        contact.middlename = Qt.binding(function() { return editor.middlenameText })
        contact.organization = Qt.binding(function() { return editor.organizationText })
        contact.dateOfBirth = Qt.binding(function() { return editor.dateOfBirthText })
        contact.comment = Qt.binding(function() { return editor.comments })
        contact.phoneList = Qt.binding(function() { return editor.phoneList })
        contact.phoneGroupList = Qt.binding(function() { return editor.phoneNameList })
        contact.emailList = Qt.binding(function() { return editor.emails })
        contact.emailGroupList = Qt.binding(function() { return editor.emailNames })
        contact.addressList = Qt.binding(function() { return editor.addresses })
        contact.addressGroupList = Qt.binding(function() { return editor.addressNames })
        contact.linkList = Qt.binding(function() { return editor.links })
        contact.groups = Qt.binding(function() { return editor.groups })
    }

    // The header's star switch: favourites, or all contacts unless a group
    // is shown.
    function showFilter() {
        if (!header.allContacts || contactsProxyModel.groupFilter === "") {
            contactsProxyModel.showFavouriteGroup(!header.allContacts)
        }
        contactList.setAlphabetLetter("#")
    }

    // Lists all contacts, the favourites, or the members of a group.
    function chooseFilter(favourites, group) {
        if (favourites) {
            contactsProxyModel.showFavouriteGroup(true)
        } else {
            contactsProxyModel.showGroup(group)
        }
        header.allContacts = !favourites
        contactList.setAlphabetLetter("#")
    }

    // Closing while changes wait to be saved asks first: Keep waiting leaves
    // the window open (the store keeps retrying), Quit and lose them quits
    // and leaves a note that the next start tells.
    function askBeforeLosingChanges(close) {
        if (root.unsavedLossAccepted) {
            return
        }
        var question = db.quitQuestion()
        if (question === "") {
            return
        }
        close.accepted = false
        messageForm.show(question, true, root.quitLosingChanges, null,
                         qsTr("Quit and lose them"), qsTr("Keep waiting"))
    }

    function quitLosingChanges() {
        db.noteLostChanges()
        root.unsavedLossAccepted = true
        viewer.close()
    }

    // Changes lost when the program was last closed are told once.
    function tellLostChanges() {
        var note = db.takeLostChangesNote()
        if (note !== "") {
            messageForm.show(note, false)
        }
    }

    function showCurrentPhoto() {
        if (contactsProxyModel.currentId === "") {
            return
        }
        var id = contactsProxyModel.currentData(ContactsModel.IdRole)
        bigPhoto.internalId = id
        bigPhoto.photoSource = "image://ContactsImageProvider/" + id
    }

    width: 900
    height: 650
    color: "white"

    onBusyChanged: {
        if (!root.busy && root.syncReloadPending) {
            root.reloadAfterSync()
        }
    }

    Component.onCompleted: {
        viewer.setMinimumWidth(root.minWidth)
        viewer.setMinimumHeight(root.minHeight)
        contactsModel.setDataBase(db)
        contactsModel.loadModel()
        contactsProxyModel.setSourceModel(contactsModel)
        contactsProxyModel.sort()
        root.loaded = true
        contactList.takeFocus()
        root.tellLostChanges()
    }

    Style { id: styles }
    ListViewForm { id: listViewForm; objectName: "listViewForm" }
    LineEditForm { id: lineEditForm; objectName: "lineEditForm" }
    CalendarForm { id: calendarForm; objectName: "calendarForm" }
    SettingsForm { id: settingsForm; objectName: "settingsForm" }
    CardDavForm { id: cardDavForm; objectName: "cardDavForm" }
    DuplicatesForm { id: duplicatesForm; objectName: "duplicatesForm" }
    ImportExportForm { id: importExportForm; objectName: "importExportForm" }

    ContactsModel {
        id: contactsModel

        objectName: "contactsModel"
    }

    ContactsProxyModel {
        id: contactsProxyModel

        objectName: "contactsProxyModel"
        onCurrentIdChanged: root.showCurrentPhoto()
        Component.onCompleted: root.bindNewContact()
    }

    ImportExport {
        id: importExport

        objectName: "importExport"
        book: contactsModel
        list: contactsProxyModel
        store: db
        onError: messageForm.show(text, false)
        onWarning: messageForm.show(text, false)
        onParsingCompleted: importExportForm.show(false)
        onImportContactStarted: importExportForm.count = count
        onImportContactProgress: importExportForm.current = p
        // The end of an import (listing, labels, sort) happens in C++.
        onImportContactEnded: importExportForm.completed = true
    }

    MessageForm { id: messageForm; objectName: "messageForm" }
    ComboBoxList { id: comboBoxList; objectName: "comboBoxList" }

    StoreStatus {
        id: storeStatus

        objectName: "storeStatus"
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        z: 10
        store: db
    }

    UndoBar {
        id: undoBar

        objectName: "undoBar"
        anchors { left: parent.left; right: parent.right; bottom: storeStatus.top }
        z: 10
        // Not while the editor is open: undoing a merge would put the
        // original back under the edited contact's id, and OK would then save
        // the merged fields over it.
        enabled: !bigPhotoRect.visible
        model: contactsModel
    }

    SyncStatus {
        id: syncStatus

        objectName: "syncStatus"
        anchors { left: parent.left; right: parent.right; bottom: undoBar.top }
        z: 10
    }

    ContactList {
        id: contactList

        objectName: "contactList"
        anchors { left: parent.left; top: header.bottom; bottom: syncStatus.top }
        width: root.width * 0.4
    }

    Rectangle {
        id: bigPhotoRect

        objectName: "bigPhotoRect"
        anchors.fill: contactList
        color: "cornsilk"
        visible: false
        enabled: bigPhotoRect.visible

        // The list under the editor takes no clicks: a row chosen there would
        // become the contact the editor's OK saves to.
        MouseArea {
            anchors.fill: parent
            onWheel: wheel.accepted = true
        }

        Photo {
            id: bigPhoto

            objectName: "bigPhoto"
            anchors {
                top: parent.top
                topMargin: bigPhotoRect.width * 0.1
                horizontalCenter: parent.horizontalCenter
            }
            width: Math.min(bigPhotoRect.width * 0.8, 400)
            height: Math.min(bigPhoto.width, bigPhotoRect.height * 0.8)
        }
    }

    ContactDetails {
        id: contactDetails

        objectName: "contactDetails"
        anchors { left: contactList.right; right: parent.right; top: header.bottom; bottom: syncStatus.top }
    }

    HeaderMain {
        id: header

        objectName: "header"
        anchors { left: parent.left; right: parent.right; top: parent.top }
        height: Math.min(root.height * 0.1, tabletMode ? 100 : 60)
        onAllContactsChanged: root.showFilter()
    }

    HeaderOkCancel {
        id: headerOkCancel

        objectName: "headerOkCancel"
        anchors.fill: header
    }

    // The search field is under the OK/Cancel header while the editor or the
    // removal mode is open: a search then would change the rows unseen.
    Shortcut {
        sequence: StandardKey.Find
        enabled: !root.busy
        onActivated: header.focusSearch()
    }

    Shortcut {
        sequence: "Ctrl+G"
        enabled: !root.busy
        onActivated: header.openFilterMenu()
    }

    Shortcut {
        sequence: "Escape"
        onActivated: root.cancelOrClear()
    }

    // Ctrl+Z is the undo bar's Undo while the bar is shown.
    Shortcut {
        sequences: [StandardKey.Undo]
        enabled: undoBar.count > 0 && !root.busy
        onActivated: contactsModel.undoRemoval()
    }

    Shortcut {
        sequence: StandardKey.New
        enabled: !root.busy
        onActivated: root.changeContact(true)
    }

    // The editor's OK; not while a question, a list, a line or the calendar
    // is open over the editor: the editor would close beneath it, and what
    // is chosen there then would go nowhere.
    Shortcut {
        sequences: [StandardKey.Save, "Ctrl+Return", "Ctrl+Enter"]
        enabled: bigPhotoRect.visible && !messageForm.opened && !root.choosing
        onActivated: headerOkCancel.finish(true)
    }

    Connections {
        target: db

        // The address book was locked by another program at start.
        function onContactsAvailable() {
            contactsModel.loadModel()
            contactsProxyModel.sort()
        }
    }

    Connections {
        target: carddav

        function onContactsChanged() {
            root.reloadAfterSync()
        }

        function onPasswordStateChanged() {
            if (carddav.needsPassword) {
                cardDavForm.show()
            }
        }
    }

    Connections {
        target: contactsModel
        enabled: !root.reloadingForSync

        function onDataChanged() {
            carddav.localChanged()
        }

        function onRowsInserted() {
            carddav.localChanged()
        }

        function onRowsRemoved() {
            carddav.localChanged()
        }
    }

    Connections {
        target: viewer

        function onShowContact(contactId) {
            contactList.showContactRemotely = contactId
        }

        // Quitting with the editor open would drop what was typed: OK saves and quits
        // (a refused save keeps the editor open), Cancel goes back to the editor.
        // The quit that follows asks about changes that could not be saved.
        function onClosing(close) {
            if (!bigPhotoRect.visible) {
                root.askBeforeLosingChanges(close)
                return
            }
            close.accepted = false
            messageForm.show(qsTr("Save the changes to this contact before quitting?"), true,
                             function() {
                                 headerOkCancel.finish(true)
                                 if (!bigPhotoRect.visible) {
                                     viewer.close()
                                 }
                             })
        }
    }
}
