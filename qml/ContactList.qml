import QtQuick 2.9
import ContactsModelBackend 1.0

// The alphabetical contact list with its letter index. It keeps the proxy
// model's current row equal to the selected row and selects a contact asked
// for from outside once the list is loaded.
Item {
    id: contactList

    property alias currentIndex: listView.currentIndex
    property string showContactRemotely: ""

    // Gives the keyboard to the list.
    function takeFocus() {
        listView.forceActiveFocus()
    }

    // Moves the selection by `step` rows (clamped), or to the first or last
    // row, and keeps it in view.
    function moveSelection(step) {
        var count = listView.count
        if (count === 0) {
            return
        }
        var row = Math.max(0, Math.min(count - 1, listView.currentIndex + step))
        listView.currentIndex = row
        listView.positionViewAtIndex(row, ListView.Contain)
    }

    // The keys of the list: moving, editing, removing, and typing a
    // printable character starts a search with it (not while the removal
    // mode, the editor or a form hides the search field).
    function handleKey(event) {
        var page = Math.max(1, Math.floor(listView.height / root.itemHeight) - 1)
        if (event.key === Qt.Key_PageDown) {
            contactList.moveSelection(page)
        } else if (event.key === Qt.Key_PageUp) {
            contactList.moveSelection(-page)
        } else if (event.key === Qt.Key_Home) {
            contactList.moveSelection(-listView.count)
        } else if (event.key === Qt.Key_End) {
            contactList.moveSelection(listView.count)
        } else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter
                   || event.key === Qt.Key_F2) {
            root.changeContact(false)
        } else if (event.key === Qt.Key_Delete) {
            root.askRemoveCurrent()
        } else if (!root.busy && event.text.length > 0 && event.text.charCodeAt(0) > 32
                   && !(event.modifiers & (Qt.ControlModifier | Qt.AltModifier))) {
            header.searchText += event.text
            header.focusSearch()
        } else {
            return
        }
        event.accepted = true
    }

    function setAlphabetLetter(letter) {
        alphabetScroll.setLetter(letter)
    }

    function scrollToLetter(letter) {
        var index = letter === "#" ? 0 : contactsProxyModel.indexOfLetter(letter)
        listView.positionViewAtIndex(index, ListView.Beginning)
    }

    // The name in the order the list is sorted by first name.
    function nameFirst(name, middlename, surname) {
        return [name, middlename, surname].join(" ").replace(/\s+/g, " ").trim()
    }

    function firstLetter(name) {
        return name ? String(name).charAt(0).toUpperCase() : ""
    }

    // Selects the contact with this id and scrolls it into view. A contact
    // hidden by the filter or the search is shown by clearing them: the
    // caller asked to see it. False for an unknown id.
    function revealContact(id) {
        if (!contactsProxyModel.hasContact(id)) {
            return false
        }
        if (!contactsProxyModel.selectContact(id)) {
            root.chooseFilter(false, "")
            header.searchText = ""
            contactsProxyModel.selectContact(id)
        }
        var letter = contactList.firstLetter(listView.currentItem ? listView.currentItem.fullName : "")
        if (letter !== "") {
            contactList.setAlphabetLetter(letter)
        }
        listView.positionViewAtIndex(contactsProxyModel.currentIndex, ListView.Contain)
        return true
    }

    // Selects the contact whose id was asked for. The request waits while
    // the scene is loading its contacts and while the editor, the removal
    // mode or a form is open, and is dropped for an unknown id.
    function selectRemoteContact() {
        var id = contactList.showContactRemotely
        if (id === "" || !root.loaded || root.busy) {
            return
        }
        if (debug) {
            console.log("showContactRemotely:", id)
        }
        contactList.revealContact(id)
        contactList.showContactRemotely = ""
    }

    onShowContactRemotelyChanged: contactList.selectRemoteContact()

    AlphabetScroll {
        id: alphabetScroll

        objectName: "alphabetScroll"
        anchors { left: parent.left; top: parent.top; bottom: parent.bottom }
        width: Math.min(contactList.width * 0.1, tabletMode ? 60 : 40)
        existingLetters: contactsProxyModel.existingLetters
        onClicked: contactList.scrollToLetter(letter)
    }

    Shadow {
        target: listRect
        horizontalOffset: -5
        verticalOffset: 0
    }

    Rectangle {
        id: listRect

        anchors {
            left: alphabetScroll.right
            right: parent.right
            top: parent.top
            bottom: parent.bottom
        }
        color: "cornsilk"

        // Folded, the header has no room for the name of the group shown:
        // the list names it.
        Rectangle {
            id: groupBanner

            objectName: "groupBanner"
            anchors { left: parent.left; right: parent.right; top: parent.top }
            height: groupBanner.visible ? root.itemHeight * 0.6 : 0
            visible: header.narrow && contactsProxyModel.groupFilter !== ""
            color: styles.highlightColor
            Accessible.role: Accessible.StaticText
            Accessible.name: bannerText.text

            Text {
                id: bannerText

                anchors { fill: parent; leftMargin: 8; rightMargin: 8 }
                text: contactsProxyModel.groupFilter
                color: "white"
                font { pointSize: 12; bold: true }
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
        }

        ListView {
            id: listView

            objectName: "contactListView"
            anchors {
                left: parent.left
                right: parent.right
                top: groupBanner.bottom
                bottom: parent.bottom
            }
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: contactsProxyModel
            highlightMoveDuration: 0
            focus: true
            keyNavigationEnabled: true
            Keys.onPressed: contactList.handleKey(event)

            delegate: ContactListItem {
                objectName: "contact_" + model.idString
                width: listView.width
                height: root.itemHeight
                baseColor: listRect.color
                fullName: contactsProxyModel.sortRole === ContactsModel.NameRole
                          ? contactList.nameFirst(model.name, model.middlename, model.surname)
                          : model.fullname
                image: "image://ContactsImageProvider/" + model.idString
                contactId: model.idString
                row: index
                onClicked: contactList.setAlphabetLetter(letter)
            }

            // While the user drags or flicks, the index follows the row half
            // a row below the top edge.
            onContentYChanged: {
                if (!listView.moving) {
                    return
                }
                var item = listView.itemAt(listView.width / 2, listView.contentY + root.itemHeight / 2)
                if (item) {
                    var letter = contactList.firstLetter(item.fullName)
                    if (letter !== "") {
                        contactList.setAlphabetLetter(letter)
                    }
                }
            }

            Component.onCompleted: contactList.selectRemoteContact()
        }

        // The keyboard is on the list.
        Rectangle {
            anchors.fill: parent
            color: "transparent"
            border { width: 2; color: styles.highlightColor }
            visible: listView.activeFocus
        }

        Text {
            objectName: "noMatchText"
            anchors { fill: parent; margins: 20 }
            visible: listView.count === 0 && header.searchText !== ""
            text: qsTr("No contacts match")
            color: styles.foreground.textColor
            font.pointSize: 14
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }

        Column {
            id: emptyHint

            objectName: "emptyHint"
            anchors { left: parent.left; right: parent.right; top: parent.top; margins: 20 }
            spacing: 12
            visible: root.loaded && contactsModel.count === 0 && !root.busy

            Text {
                width: parent.width
                text: qsTr("No contacts yet. Import them from a file of another address book, "
                           + "or add the first one.")
                color: styles.foreground.textColor
                font.pointSize: 12
                wrapMode: Text.Wrap
            }

            Button {
                objectName: "importHintButton"
                width: parent.width
                buttonText: qsTr("Import contacts…")
                onClicked: settingsForm.startImport()
            }

            Button {
                objectName: "addHintButton"
                width: parent.width
                buttonText: qsTr("Add a contact")
                onClicked: root.changeContact(true)
            }
        }
    }

    Binding {
        target: contactsProxyModel
        property: "currentIndex"
        value: listView.currentIndex
    }

    // The list follows the chosen contact when the model finds it on
    // another row (after a sort, a filter, a search, an edit or an import).
    Connections {
        target: contactsProxyModel

        function onCurrentIndexChanged() {
            var row = contactsProxyModel.currentIndex
            if (listView.currentIndex !== row) {
                listView.currentIndex = row
            }
            if (row >= 0) {
                listView.positionViewAtIndex(row, ListView.Contain)
            }
        }
    }

    Connections {
        target: root

        function onLoadedChanged() {
            contactList.selectRemoteContact()
        }

        function onBusyChanged() {
            contactList.selectRemoteContact()
        }
    }
}
