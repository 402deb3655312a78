import QtQuick 2.0
import QtGraphicalEffects 1.0

// Header bar of the main scene: All/Favorites filter, search field and the
// add, edit, delete and settings buttons. Where the search field would get
// too short, the buttons show icons only, the star alone toggles the
// favourites, and the search folds behind the magnifier, which opens it over
// the bar; it folds again when the keyboard leaves it.
Item {
    id: header

    property bool allContacts: true
    property bool addingContact: false
    property alias searchText: searchField.text
    // The search field's width with labels beside it; below a minimum the
    // bar folds.
    readonly property real wideSearchWidth: header.width - allButton.fullWidth
                                            - favoritesButton.fullWidth - 60 - 4 * 15
                                            - header.height * (0.6 + 4 * 0.9)
    readonly property bool narrow: header.wideSearchWidth < 200
    property bool searchOpen: false

    function focusSearch() {
        header.searchOpen = true
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
        visible: !header.narrow || !header.searchOpen

        MenuFilterButton {
            id: allButton

            objectName: "allButton"
            visible: !header.narrow
            text: qsTr("All")
            imagePath: "images/user_48.png"
            imageColor: "#ffffff"
            checked: header.allContacts
            onClicked: header.allContacts = true
        }

        MenuFilterButton {
            id: favoritesButton

            objectName: "favoritesButton"
            compact: header.narrow
            text: qsTr("Favorites")
            imagePath: "images/minitools.png"
            imageColor: "#ffffff"
            checked: !header.allContacts
            onClicked: header.allContacts = header.narrow && !header.allContacts
        }
    }

    Rectangle {
        id: searchIcon

        objectName: "searchButton"
        anchors {
            left: header.narrow && header.searchOpen ? parent.left : filterRow.right
            leftMargin: header.narrow ? 6 : 25
            bottom: parent.bottom
            bottomMargin: header.height * 0.1
        }
        width: header.height * 0.6
        height: searchIcon.width
        radius: 3
        // A folded search that still filters the list is marked.
        color: header.narrow && !header.searchOpen && header.searchText !== ""
               ? styles.highlightColor : "transparent"
        Accessible.role: Accessible.Button
        Accessible.name: header.searchText !== "" ? qsTr("Search: %1").arg(header.searchText)
                                                  : qsTr("Search")
        Accessible.onPressAction: header.focusSearch()

        MouseArea {
            anchors.fill: parent
            onClicked: header.focusSearch()
        }

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
            right: header.narrow ? parent.right : actionRow.left
            rightMargin: header.narrow ? 6 : 25
            top: parent.top
            topMargin: header.height * 0.1
            bottom: parent.bottom
            bottomMargin: header.height * 0.1
        }
        visible: !header.narrow || header.searchOpen
        placeholderText: qsTr("Search")
        textColor: styles.header.textColor
        placeholderTextColor: styles.header.placeholderColor
        onTextChanged: contactsProxyModel.setFilterFixedString(searchField.text)
        onCleared: contactList.takeFocus()
        onInputFocusChanged: {
            if (!searchField.inputFocus) {
                header.searchOpen = false
            }
        }
    }

    Row {
        id: actionRow

        anchors { right: parent.right; top: parent.top; bottom: parent.bottom }
        visible: !header.narrow || !header.searchOpen
        layoutDirection: Qt.RightToLeft

        MenuButton {
            objectName: "settingsButton"
            compact: header.narrow
            text: ""
            imagePath: "images/misc.png"
            leftBorder: true
            Accessible.name: qsTr("Settings")
            onClicked: settingsForm.show()
        }

        MenuButton {
            objectName: "deleteButton"
            compact: header.narrow
            text: ""
            imagePath: "images/user_48.png"
            imageSub: "images/remove.png"
            leftBorder: true
            Accessible.name: qsTr("Delete contacts")
            onClicked: root.showRemoveMode()
        }

        MenuButton {
            objectName: "editButton"
            compact: header.narrow
            text: ""
            imagePath: "images/user_48.png"
            imageSub: "images/pencil.png"
            leftBorder: true
            Accessible.name: qsTr("Edit contact")
            onClicked: root.changeContact(false)
        }

        MenuButton {
            objectName: "addButton"
            compact: header.narrow
            text: ""
            imagePath: "images/user_48.png"
            imageSub: "images/add.png"
            leftBorder: true
            Accessible.name: qsTr("Add contact")
            onClicked: root.changeContact(true)
        }
    }
}
