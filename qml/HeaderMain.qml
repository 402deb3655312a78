import QtQuick 2.0
import QtGraphicalEffects 1.0

// Header bar of the main scene: All/Favorites filter, search field and the
// add, edit, delete and settings buttons.
Item {
    id: header

    property bool allContacts: true
    property bool addingContact: false
    property alias searchText: searchField.text

    function focusSearch() {
        searchField.takeFocus()
    }

    Shadow {
        target: bar
    }

    Rectangle {
        id: bar

        anchors.fill: parent
        color: styles.header.color
    }

    Row {
        id: filterRow

        anchors { left: parent.left; top: parent.top; bottom: parent.bottom }

        MenuFilterButton {
            objectName: "allButton"
            text: qsTr("All")
            imagePath: "images/user_48.png"
            imageColor: "#ffffff"
            checked: header.allContacts
            onClicked: header.allContacts = true
        }

        MenuFilterButton {
            objectName: "favoritesButton"
            text: qsTr("Favorites")
            imagePath: "images/minitools.png"
            imageColor: "#ffffff"
            checked: !header.allContacts
            onClicked: header.allContacts = false
        }
    }

    Item {
        id: searchIcon

        anchors {
            left: filterRow.right
            leftMargin: 25
            bottom: parent.bottom
            bottomMargin: header.height * 0.1
        }
        width: header.height * 0.6
        height: searchIcon.width

        Image {
            id: searchImage

            anchors.fill: parent
            source: "images/viewmag.png"
            fillMode: Image.PreserveAspectFit
            smooth: true
            visible: lowEffects
        }

        ColorOverlay {
            anchors.fill: searchImage
            source: searchImage
            color: "#eeffffff"
            visible: !lowEffects
        }
    }

    LineEdit {
        id: searchField

        objectName: "searchField"
        anchors {
            left: searchIcon.right
            leftMargin: 10
            right: actionRow.left
            rightMargin: 25
            top: parent.top
            topMargin: header.height * 0.1
            bottom: parent.bottom
            bottomMargin: header.height * 0.1
        }
        placeholderText: qsTr("Search")
        textColor: styles.header.textColor
        placeholderTextColor: styles.header.placeholderColor
        onTextChanged: contactsProxyModel.setFilterFixedString(searchField.text)
        onCleared: contactList.takeFocus()
    }

    Row {
        id: actionRow

        anchors { right: parent.right; top: parent.top; bottom: parent.bottom }
        layoutDirection: Qt.RightToLeft

        MenuButton {
            objectName: "settingsButton"
            text: ""
            imagePath: "images/misc.png"
            leftBorder: true
            Accessible.name: qsTr("Settings")
            onClicked: settingsForm.show()
        }

        MenuButton {
            objectName: "deleteButton"
            text: ""
            imagePath: "images/user_48.png"
            imageSub: "images/remove.png"
            leftBorder: true
            Accessible.name: qsTr("Delete contacts")
            onClicked: root.showRemoveMode()
        }

        MenuButton {
            objectName: "editButton"
            text: ""
            imagePath: "images/user_48.png"
            imageSub: "images/pencil.png"
            leftBorder: true
            Accessible.name: qsTr("Edit contact")
            onClicked: root.changeContact(false)
        }

        MenuButton {
            objectName: "addButton"
            text: ""
            imagePath: "images/user_48.png"
            imageSub: "images/add.png"
            leftBorder: true
            Accessible.name: qsTr("Add contact")
            onClicked: root.changeContact(true)
        }
    }
}
