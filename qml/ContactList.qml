import QtQuick 2.0
import ContactsModelBackend 1.0

// The alphabetical contact list with its letter index. It keeps the proxy
// model's current row equal to the selected row and selects a contact asked
// for from outside once the list is loaded.
Item {
    id: contactList

    property alias currentIndex: listView.currentIndex
    property string showContactRemotely: ""

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
    // hidden by the favourites filter or the search is shown by clearing
    // them: the caller asked to see it. False for an unknown id.
    function revealContact(id) {
        if (!contactsProxyModel.hasContact(id)) {
            return false
        }
        if (!contactsProxyModel.selectContact(id)) {
            header.allContacts = true
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

        ListView {
            id: listView

            objectName: "contactListView"
            anchors.fill: parent
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: contactsProxyModel
            highlightMoveDuration: 0

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
