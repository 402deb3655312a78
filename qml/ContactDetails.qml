import QtQuick 2.0
import ContactsModelBackend 1.0

// Right-hand side of the main scene: the current contact, or the editor while
// a contact is added or edited. This version shows the name and organisation
// and edits the name fields only; it offers every property and reaction that
// the main scene relies on.
Item {
    id: contactDetails

    property alias detailsToView: view
    property alias detailsToSave: editor

    function loadCurrent() {
        if (contactsProxyModel.currentIndex < 0) {
            return
        }
        view.fioText = contactsProxyModel.currentData(ContactsModel.FullNameRole)
        view.organizationText = contactsProxyModel.currentData(ContactsModel.OrganizationRole)
        var id = contactsProxyModel.currentData(ContactsModel.IdRole)
        viewPhoto.internalId = id
        view.photoSource = "image://ContactsImageProvider/" + id
        editor.nameText = contactsProxyModel.currentData(ContactsModel.NameRole)
        editor.surnameText = contactsProxyModel.currentData(ContactsModel.SurnameRole)
        editor.middlenameText = contactsProxyModel.currentData(ContactsModel.MiddleNameRole)
        editor.organizationText = contactsProxyModel.currentData(ContactsModel.OrganizationRole)
        editor.dateOfBirthText = contactsProxyModel.currentData(ContactsModel.BirthDateRole)
        editor.comments = contactsProxyModel.currentData(ContactsModel.CommentRole)
        editor.phoneList = contactsProxyModel.currentData(ContactsModel.PhoneListRole)
        editor.phoneNameList = contactsProxyModel.currentData(ContactsModel.PhoneGroupListRole)
        editor.emails = contactsProxyModel.currentData(ContactsModel.EmailListRole)
        editor.emailNames = contactsProxyModel.currentData(ContactsModel.EmailGroupListRole)
        editor.addresses = contactsProxyModel.currentData(ContactsModel.AddressListRole)
        editor.addressNames = contactsProxyModel.currentData(ContactsModel.AddressGroupListRole)
        editor.links = contactsProxyModel.currentData(ContactsModel.LinkListRole)
    }

    function clearEditor() {
        editor.nameText = ""
        editor.surnameText = ""
        editor.middlenameText = ""
        editor.organizationText = ""
        editor.dateOfBirthText = ""
        editor.comments = ""
        editor.phoneList = []
        editor.phoneNameList = []
        editor.emails = []
        editor.emailNames = []
        editor.addresses = []
        editor.addressNames = []
        editor.links = []
    }

    Shadow {
        target: panel
        horizontalOffset: -5
        verticalOffset: 0
    }

    Rectangle {
        id: panel

        anchors.fill: parent
        color: "white"
    }

    Item {
        id: view

        property alias fioText: nameLabel.text
        property alias organizationText: organizationLabel.text
        property alias photoSource: viewPhoto.photoSource

        function updatePhoto() {
            viewPhoto.updatePhoto()
        }

        objectName: "detailsView"
        anchors { fill: parent; margins: 30; bottomMargin: 0 }
        visible: !editor.visible && !root.removeMode && contactsProxyModel.currentIndex >= 0
        enabled: view.visible

        Photo {
            id: viewPhoto

            width: Math.min(view.width * 0.3, 400)
            height: viewPhoto.width
        }

        Column {
            anchors { left: viewPhoto.right; leftMargin: 30; right: parent.right; top: parent.top }
            spacing: 5

            Text {
                id: nameLabel

                width: parent.width
                color: styles.foreground.textColor
                font.pointSize: 18
                wrapMode: Text.Wrap
            }

            Text {
                id: organizationLabel

                width: parent.width
                color: styles.foreground.textColor
                font.pointSize: 12
                wrapMode: Text.Wrap
            }
        }
    }

    Item {
        id: editor

        property alias nameText: nameField.text
        property alias surnameText: surnameField.text
        property alias middlenameText: middlenameField.text
        property string organizationText: ""
        property string dateOfBirthText: ""
        property var phoneList: []
        property var phoneNameList: []
        property var emails: []
        property var emailNames: []
        property var addresses: []
        property var addressNames: []
        property var links: []
        property string comments: ""

        objectName: "detailsEditor"
        anchors { fill: parent; leftMargin: 30; rightMargin: 30 }
        visible: false

        Column {
            anchors { left: parent.left; right: parent.right; top: parent.top }

            LineEdit {
                id: nameField

                objectName: "nameField"
                width: parent.width
                placeholderText: qsTr("Name")
            }

            LineEdit {
                id: surnameField

                objectName: "surnameField"
                width: parent.width
                placeholderText: qsTr("Surname")
            }

            LineEdit {
                id: middlenameField

                objectName: "middlenameField"
                width: parent.width
                placeholderText: qsTr("Middlename")
            }
        }
    }

    Connections {
        target: contactsProxyModel

        function onCurrentIndexChanged() {
            contactDetails.loadCurrent()
        }
    }

    Connections {
        target: root

        function onShowEditDetails(add) {
            if (add) {
                contactDetails.clearEditor()
            }
            editor.visible = true
        }

        function onHideEditDetails() {
            editor.visible = false
            contactsProxyModel.currentIndexChanged()
        }

        function onSaveEditDetails() {
            editor.phoneList = editor.phoneList
            editor.phoneNameList = editor.phoneNameList
            editor.emails = editor.emails
            editor.emailNames = editor.emailNames
            editor.addresses = editor.addresses
            editor.addressNames = editor.addressNames
            editor.links = editor.links
        }
    }
}
