import QtQuick 2.0
import QtGraphicalEffects 1.0

// Header bar of the main scene: the list's filter (All, Favorites, and a
// menu of the groups once there are any), the search field and the add,
// edit, delete and settings buttons. Where the search field would get too
// short, All and Favorites show icons only; shorter still, the buttons show
// icons only, the filter is the menu alone (its icon tells which filter is
// on), and the search folds behind the magnifier, which opens it over the
// bar; it folds again when the keyboard leaves it.
Item {
    id: header

    // False while only favourites are listed.
    property bool allContacts: true
    property bool addingContact: false
    property alias searchText: searchField.text
    readonly property string groupFilter: contactsProxyModel.groupFilter
    readonly property bool hasGroups: contactsModel.groupNames.length > 0
                                      || header.groupFilter !== ""
    // What the list shows: "All", "Favorites" or the group's name.
    readonly property string filterName: header.groupFilter !== "" ? header.groupFilter
                                         : header.allContacts ? qsTr("All") : qsTr("Favorites")
    // The groups of the open filter menu, in the order of its entries.
    property var menuGroups: []
    // The search field's width beside labelled buttons and the group menu;
    // below a minimum All and Favorites lose their labels, and when that is
    // not enough the bar folds.
    readonly property real searchWidthBesideMenu: header.width
                                                  - (header.hasGroups ? filterMenuButton.fullWidth : 0)
                                                  - 60 - 4 * 15 - header.height * (0.6 + 4 * 0.9)
    readonly property bool compactFilters: header.searchWidthBesideMenu - allButton.fullWidth
                                           - favoritesButton.fullWidth < 200
    readonly property bool narrow: header.searchWidthBesideMenu - allButton.compactWidth
                                   - favoritesButton.compactWidth < 200
    property bool searchOpen: false

    function focusSearch() {
        header.searchOpen = true
        searchField.takeFocus()
    }

    // The filter menu: "All", "Favorites", then every group with its number
    // of members; the filter that is on is the menu's current entry.
    function openFilterMenu() {
        var counts = contactsModel.groupCounts()
        var entries = [qsTr("All"), qsTr("Favorites")]
        var groups = []
        var current = header.allContacts ? 0 : 1
        for (var i = 0; i < counts.length; ++i) {
            groups.push(counts[i].name)
            entries.push(qsTr("%1 (%2)").arg(counts[i].name).arg(counts[i].count))
            if (counts[i].name === header.groupFilter) {
                current = entries.length - 1
            }
        }
        header.menuGroups = groups
        listViewForm.show(entries, header.onFilterChosen, current)
    }

    function onFilterChosen(entry, index) {
        if (index >= 2) {
            root.chooseFilter(false, header.menuGroups[index - 2])
        } else {
            root.chooseFilter(index === 1, "")
        }
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
            compact: header.compactFilters
            text: qsTr("All")
            imagePath: "images/user_48.png"
            imageColor: "#ffffff"
            checked: header.allContacts && header.groupFilter === ""
            onClicked: root.chooseFilter(false, "")
        }

        MenuFilterButton {
            id: favoritesButton

            objectName: "favoritesButton"
            visible: !header.narrow
            compact: header.compactFilters
            text: qsTr("Favorites")
            imagePath: "images/minitools.png"
            imageColor: "#ffffff"
            checked: !header.allContacts
            onClicked: root.chooseFilter(true, "")
        }

        // The groups (or, folded, every filter): the chosen group is its
        // label, none leaves it an icon.
        MenuFilterButton {
            id: filterMenuButton

            objectName: "filterMenuButton"
            visible: header.narrow || header.hasGroups
            compact: header.narrow
            opensMenu: true
            labelMaxWidth: header.height * 3
            text: header.groupFilter
            imagePath: !header.narrow || header.groupFilter !== "" ? "images/group_48.png"
                       : header.allContacts ? "images/user_48.png" : "images/minitools.png"
            imageColor: "#ffffff"
            checked: header.groupFilter !== "" || (header.narrow && !header.allContacts)
            Accessible.role: Accessible.ButtonMenu
            Accessible.name: header.narrow || header.groupFilter !== ""
                             ? qsTr("Show: %1").arg(header.filterName) : qsTr("Groups")
            onClicked: header.openFilterMenu()
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
