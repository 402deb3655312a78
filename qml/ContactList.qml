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

    function firstLetter(name) {
        return name ? String(name).charAt(0).toUpperCase() : ""
    }

    // Selects the contact whose id was asked for. The request waits while
    // the scene is still loading its contacts and is dropped for an unknown id.
    function selectRemoteContact() {
        var id = contactList.showContactRemotely
        if (id === "" || !root.loaded) {
            return
        }
        if (debug) {
            console.log("showContactRemotely:", id)
        }
        var index = contactsProxyModel.indexOfContact(id)
        if (index >= 0) {
            listView.currentIndex = index
            var letter = contactList.firstLetter(contactsProxyModel.currentData(ContactsModel.FullNameRole))
            if (letter !== "") {
                contactList.setAlphabetLetter(letter)
            }
            listView.positionViewAtIndex(index, ListView.Contain)
        }
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
                fullName: model.fullname
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

    Connections {
        target: root

        function onLoadedChanged() {
            contactList.selectRemoteContact()
        }
    }
}
