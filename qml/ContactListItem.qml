import QtQuick 2.0

// One row of the contact list: the name and the photo; in removal mode a
// click marks or unmarks the row for deletion.
Rectangle {
    id: listItem

    property string fullName: ""
    property string image: ""
    property color baseColor: "white"
    property string contactId: ""
    property int row: -1
    property bool struckOut: false
    readonly property bool current: ListView.isCurrentItem
    // Changed here and on the server: this row is one of two versions.
    readonly property bool conflicted: carddav.conflictIds.indexOf(listItem.contactId) >= 0

    signal clicked(string letter)

    function rowIsMarked() {
        var marked = contactsProxyModel.contactsToRemove
        for (var i = 0; i < marked.length; ++i) {
            if (marked[i] === String(listItem.row)) {
                return true
            }
        }
        return false
    }

    // A row is marked once, however often it is chosen.
    function mark() {
        if (listItem.rowIsMarked()) {
            return
        }
        var marked = contactsProxyModel.contactsToRemove
        marked.push(String(listItem.row))
        contactsProxyModel.contactsToRemove = marked
    }

    function unmark() {
        var marked = contactsProxyModel.contactsToRemove
        var kept = []
        for (var i = 0; i < marked.length; ++i) {
            if (marked[i] !== String(listItem.row)) {
                kept.push(marked[i])
            }
        }
        contactsProxyModel.contactsToRemove = kept
    }

    function select() {
        if (listItem.ListView.view) {
            listItem.ListView.view.currentIndex = listItem.row
        }
        // The keys go where the eyes are: to the list.
        contactList.takeFocus()
        listItem.clicked(listItem.fullName.charAt(0).toUpperCase())
        if (root.removeMode) {
            if (listItem.struckOut) {
                listItem.unmark()
            } else {
                listItem.mark()
            }
            listItem.struckOut = !listItem.struckOut
        }
    }

    height: root.itemHeight
    color: listItem.current ? styles.highlightColor : listItem.baseColor
    Accessible.role: Accessible.ListItem
    Accessible.name: listItem.conflicted ? listItem.fullName + ", " + conflictMark.Accessible.name
                                         : listItem.fullName
    Accessible.selectable: true
    Accessible.selected: listItem.current
    Accessible.onPressAction: listItem.select()

    // A row scrolled back into view shows the mark it had.
    Component.onCompleted: listItem.struckOut = root.removeMode && listItem.rowIsMarked()

    Behavior on color { ColorAnimation { duration: 150 } }

    Text {
        id: nameText

        anchors {
            left: parent.left
            leftMargin: listItem.height * 0.1
            right: listItem.conflicted ? conflictMark.left : photo.left
            rightMargin: listItem.height * 0.1
            top: parent.top
            bottom: parent.bottom
        }
        text: listItem.fullName
        color: listItem.struckOut ? "grey"
                                  : (listItem.current ? "white" : styles.foreground.textColor)
        font { pointSize: 14; strikeout: listItem.struckOut }
        fontSizeMode: Text.Fit
        minimumPointSize: 6
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight

        Behavior on color { ColorAnimation { duration: 150 } }
    }

    Rectangle {
        id: conflictMark

        objectName: "conflictMark"
        anchors {
            right: photo.left
            rightMargin: listItem.height * 0.1
            verticalCenter: parent.verticalCenter
        }
        width: conflictText.implicitWidth + 8
        height: conflictText.implicitHeight + 4
        radius: 3
        visible: listItem.conflicted
        color: "#f0ad4e"
        Accessible.role: Accessible.StaticText
        Accessible.name: qsTr("Two versions: changed here and on the server")

        Text {
            id: conflictText

            anchors.centerIn: parent
            text: qsTr("2 versions")
            color: "#222222"
        }
    }

    Photo {
        id: photo

        anchors {
            right: parent.right
            top: parent.top
            bottom: parent.bottom
            margins: listItem.height * 0.1
        }
        width: photo.height
        interactive: false
        backColor: listItem.color
        photoSource: listItem.image
        internalId: listItem.contactId
    }

    Rectangle {
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        height: 1
        color: "#bbbbbb"
    }

    MouseArea {
        anchors.fill: parent
        onClicked: listItem.select()
    }

    Connections {
        target: root

        function onRemoveModeChanged() {
            if (root.removeMode) {
                if (listItem.current) {
                    listItem.mark()
                    listItem.struckOut = true
                }
            } else {
                listItem.struckOut = false
            }
        }

        function onUpdatePhoto(id) {
            if (id === listItem.contactId) {
                photo.updatePhoto()
            }
        }
    }
}
