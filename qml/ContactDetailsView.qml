import QtQuick 2.0
import QtGraphicalEffects 1.0
import ContactsModelBackend 1.0

// The selected contact: photo, star, name, organisation and birthday at the
// top (below the photo when the view is narrow), below them the blocks of
// phones, e-mails, addresses, links, the groups and the comment. It reloads
// whenever the current contact changes.
Item {
    id: detailsView

    // Too narrow for the texts beside the photo: they go below it.
    readonly property bool stacked: detailsView.width < 300

    property alias isFavourite: star.favourite
    property alias fioText: fio.text
    property alias photoSource: photo.photoSource
    property alias organizationText: organization.text
    property alias dateOfBirthText: dateOfBirth.text
    property alias phones: phoneGroup.detailsData
    property alias phoneNames: phoneGroup.detailsName
    property alias emails: emailGroup.detailsData
    property alias emailNames: emailGroup.detailsName
    property alias addresses: addressGroup.detailsData
    property alias addressNames: addressGroup.detailsName
    property alias links: linkGroup.detailsData
    property alias groups: groupsGroup.detailsData
    property alias comments: commentGroup.detailsData
    // The other version of the shown contact when it was changed here and on
    // the server; empty otherwise.
    readonly property string conflictPartner:
            carddav.conflictIds.indexOf(contactsProxyModel.currentId) >= 0
            ? carddav.conflictPartner(contactsProxyModel.currentId) : ""
    readonly property bool showsConflictCopy: detailsView.conflictPartner !== ""
                                              && carddav.isConflictCopy(contactsProxyModel.currentId)

    function listOf(value) {
        var list = []
        if (value) {
            for (var i = 0; i < value.length; ++i) {
                list.push(String(value[i]))
            }
        }
        return list
    }

    function textOf(value) {
        return value === undefined || value === null ? "" : String(value)
    }

    function load() {
        if (contactsProxyModel.currentId === "") {
            return
        }
        var model = contactsProxyModel
        detailsView.isFavourite = model.currentData(ContactsModel.FavoriteRole) ? true : false
        detailsView.fioText = detailsView.textOf(model.currentData(ContactsModel.FullNameRole))
        detailsView.organizationText =
                detailsView.textOf(model.currentData(ContactsModel.OrganizationRole))
        detailsView.dateOfBirthText = birthdayText.displayText(
                    detailsView.textOf(model.currentData(ContactsModel.BirthDateRole)))
        detailsView.phones = detailsView.listOf(model.currentData(ContactsModel.PhoneListRole))
        detailsView.phoneNames =
                detailsView.listOf(model.currentData(ContactsModel.PhoneGroupListRole))
        detailsView.emails = detailsView.listOf(model.currentData(ContactsModel.EmailListRole))
        detailsView.emailNames =
                detailsView.listOf(model.currentData(ContactsModel.EmailGroupListRole))
        detailsView.addresses =
                detailsView.listOf(model.currentData(ContactsModel.AddressListRole))
        detailsView.addressNames =
                detailsView.listOf(model.currentData(ContactsModel.AddressGroupListRole))
        detailsView.links = detailsView.listOf(model.currentData(ContactsModel.LinkListRole))
        detailsView.groups = detailsView.listOf(model.currentData(ContactsModel.GroupsRole))
        var id = detailsView.textOf(model.currentData(ContactsModel.IdRole))
        photo.internalId = id
        photo.photoSource = "image://ContactsImageProvider/" + id
        var comment = detailsView.textOf(model.currentData(ContactsModel.CommentRole))
        detailsView.comments = comment === "" ? [] : [comment]
        // What the contact's card holds beyond the fields edited here.
        var card = importExport.cardDetails(id, detailsView.fioText)
        cardGroup.detailsName = detailsView.listOf(card.labels)
        cardGroup.detailsData = detailsView.listOf(card.values)
        if (card.formattedName) {
            detailsView.fioText = card.formattedName
        }
    }

    function updatePhoto() {
        photo.updatePhoto()
    }

    function toggleFavourite() {
        star.favourite = !star.favourite
        // A contact unstarred while only favourites are listed leaves the
        // list, and the selection with it.
        contactsProxyModel.toggleFavorite()
    }

    // Reloads for another contact (from the top) or for a change of the
    // shown contact itself (keeping the scroll position); changes of other
    // contacts leave the view alone.
    Connections {
        target: contactsProxyModel

        function onCurrentIdChanged() {
            detailsView.load()
            titleArea.contentY = 0
            groups.contentY = 0
        }

        function onCurrentContactDataChanged() {
            detailsView.load()
        }
    }

    Photo {
        id: photo

        objectName: "detailsPhoto"
        width: Math.min(detailsView.width * (detailsView.stacked ? 0.5 : 0.3), 400)
        height: photo.width
    }

    Flickable {
        id: titleArea

        anchors {
            left: detailsView.stacked ? parent.left : photo.right
            leftMargin: detailsView.stacked ? 0 : 30
            right: parent.right
            top: detailsView.stacked ? photo.bottom : parent.top
            topMargin: detailsView.stacked ? 10 : 0
        }
        // As high as the texts need, so that nothing is cut off; scrolling
        // only when they would push the groups out of the view.
        height: Math.min(Math.max(detailsView.stacked ? 0 : photo.height, titleArea.contentHeight),
                         detailsView.height / 2)
        clip: true
        flickableDirection: Flickable.VerticalFlick
        boundsBehavior: Flickable.StopAtBounds
        contentWidth: titleArea.width
        contentHeight: Math.max(star.y + star.height, fio.height,
                                dateOfBirth.y + (dateOfBirth.text !== "" ? dateOfBirth.height : 0))

        Item {
            id: star

            property bool favourite: false

            objectName: "star"
            width: Math.min(photo.width * 0.2, 48)
            height: star.width
            y: Math.max((fio.height / Math.max(fio.lineCount, 1) - star.height) / 2, 0)
            Accessible.role: Accessible.CheckBox
            Accessible.name: qsTr("Favourite")
            Accessible.checkable: true
            Accessible.checked: star.favourite
            Accessible.onPressAction: detailsView.toggleFavourite()

            Image {
                id: starImage

                anchors.fill: parent
                source: "images/minitools.png"
                fillMode: Image.PreserveAspectFit
                smooth: true
                visible: lowEffects
                opacity: star.favourite ? 1.0 : 0.5

                Behavior on opacity { NumberAnimation {} }
            }

            ColorOverlay {
                anchors.fill: starImage
                source: starImage
                visible: !lowEffects
                opacity: starImage.opacity
                color: star.favourite ? "#88ffff00" : "#ccaaaaaa"

                Behavior on color { ColorAnimation {} }
            }

            MouseArea {
                id: starMouse

                anchors.fill: parent
                hoverEnabled: !tabletMode
                onClicked: detailsView.toggleFavourite()
            }

            ToolTip {
                area: starMouse
                text: star.Accessible.name
            }
        }

        Text {
            id: fio

            objectName: "fullName"
            anchors { left: star.right; leftMargin: 5 }
            width: titleArea.width - star.width - 5
            color: styles.foreground.textColor
            font.pointSize: 18
            wrapMode: Text.Wrap
        }

        Text {
            id: organization

            objectName: "organization"
            y: fio.height > star.y + star.height ? fio.height : star.y + star.height
            width: titleArea.width
            color: styles.foreground.textColor
            font.pointSize: 12
            wrapMode: Text.Wrap
        }

        // Shows the stored birthday in the locale's date format.
        BirthdayValidator { id: birthdayText }

        Text {
            id: dateOfBirth

            objectName: "dateOfBirth"
            y: organization.y + (organization.text !== "" ? organization.height : 0)
            width: titleArea.width
            color: styles.foreground.textColor
            font.pointSize: 12
            wrapMode: Text.Wrap
        }
    }

    Flickable {
        id: groups

        objectName: "detailsGroups"
        anchors { left: parent.left; right: parent.right }
        y: Math.max(photo.height, titleArea.y + titleArea.height) + 10
        height: detailsView.height - groups.y
        clip: true
        flickableDirection: Flickable.VerticalFlick
        boundsBehavior: Flickable.StopAtBounds
        contentWidth: groups.width
        contentHeight: groupColumn.height

        Column {
            id: groupColumn

            width: groups.width

            Rectangle {
                id: conflictPanel

                objectName: "conflictPanel"
                width: groupColumn.width
                height: conflictPanel.visible ? conflictColumn.height + 20 : 0
                visible: detailsView.conflictPartner !== ""
                color: "#fcf1dc"
                border { width: 1; color: "#f0ad4e" }
                Accessible.role: Accessible.AlertMessage
                Accessible.name: conflictNote.text

                Column {
                    id: conflictColumn

                    anchors { left: parent.left; right: parent.right; top: parent.top; margins: 10 }
                    spacing: 10

                    Text {
                        id: conflictNote

                        objectName: "conflictNote"
                        width: conflictColumn.width
                        text: detailsView.showsConflictCopy
                              ? qsTr("This is the version changed here. The server's version "
                                     + "is kept beside it.")
                              : qsTr("This is the server's version. The version changed here "
                                     + "is kept beside it.")
                        color: styles.foreground.textColor
                        wrapMode: Text.Wrap
                    }

                    Button {
                        objectName: "keepVersionButton"
                        width: Math.min(conflictColumn.width, 300)
                        height: root.itemHeight * 0.8
                        buttonText: qsTr("Keep this version")
                        onClicked: root.keepConflictVersion()
                    }
                }
            }

            DetailsGroupList {
                id: phoneGroup

                objectName: "phoneGroup"
                width: groupColumn.width
                title: qsTr("PHONE")
                type: 1
            }

            DetailsGroupList {
                id: emailGroup

                objectName: "emailGroup"
                width: groupColumn.width
                title: qsTr("EMAIL")
                type: 2
            }

            DetailsGroupList {
                id: addressGroup

                objectName: "addressGroup"
                width: groupColumn.width
                title: qsTr("ADDRESS")
                type: -1
            }

            DetailsGroupList {
                id: linkGroup

                objectName: "linkGroup"
                width: groupColumn.width
                title: qsTr("LINKS")
                type: 3
            }

            // A click on a group lists its members.
            DetailsGroupList {
                id: groupsGroup

                objectName: "groupsGroup"
                width: groupColumn.width
                title: qsTr("GROUPS")
                type: 4
            }

            DetailsGroupList {
                id: commentGroup

                objectName: "commentGroup"
                width: groupColumn.width
                title: qsTr("COMMENT")
                type: -1
            }

            DetailsGroupList {
                id: cardGroup

                objectName: "cardGroup"
                width: groupColumn.width
                title: qsTr("MORE")
                type: -1
            }
        }
    }
}
