import QtQuick 2.9
import ContactsModelBackend 1.0

// The contact editor: text fields for the single values, editable lists
// for phones, e-mails, addresses and links, and a tick for each group with a
// field for a new one. The main scene binds the fields into
// contactsProxyModel.newContact, which it saves on OK.
Item {
    id: detailsEdit

    property alias nameText: nameEdit.text
    property alias surnameText: surnameEdit.text
    property alias middlenameText: middlenameEdit.text
    property alias organizationText: organizationEdit.text
    property alias dateOfBirthText: dateOfBirthEdit.text
    property alias phoneList: phoneGroup.detailsData
    property alias phoneNameList: phoneGroup.detailsName
    property alias emails: emailGroup.detailsData
    property alias emailNames: emailGroup.detailsName
    property alias addresses: addressGroup.detailsData
    property alias addressNames: addressGroup.detailsName
    property alias links: linkGroup.detailsData
    property alias comments: commentEdit.text
    // The groups the contact is to be in, in the book's spellings where the
    // book has the group.
    property var groups: []
    property bool adding: false
    // A tick for every group of the book, then for the new names.
    readonly property var groupChoices: detailsEdit.withNewGroups(contactsModel.groupNames,
                                                                  detailsEdit.groups)
    // Id of the contact being edited: a new name can move it to another row.
    property string editedId: ""
    // The birthday as stored: a text in another form (from an import) is kept
    // as it is unless the person edits it.
    property string storedBirthday: ""
    // Set by an OK that was refused; wrong fields show their message from then.
    property bool triedSave: false
    readonly property string birthdayProblem: detailsEdit.dateOfBirthText === detailsEdit.storedBirthday
                                              ? "" : birthdayValidator.problemOf(detailsEdit.dateOfBirthText)

    // True when every field holds a value that can be saved; otherwise the
    // wrong fields show why.
    function validate() {
        detailsEdit.triedSave = true
        return detailsEdit.birthdayProblem === ""
    }

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

    function withNewGroups(known, groups) {
        var choices = detailsEdit.listOf(known)
        for (var i = 0; i < groups.length; ++i) {
            if (choices.indexOf(groups[i]) < 0) {
                choices.push(groups[i])
            }
        }
        return choices
    }

    function setGroup(name, on) {
        var kept = detailsEdit.groups.filter(function(group) { return group !== name })
        if (on) {
            kept.push(name)
        }
        detailsEdit.groups = kept
    }

    // The typed name joins the contact's groups: the book's group where it
    // has one by that name (in any case or accents), else a new group.
    function addTypedGroup() {
        var name = newGroupEdit.text.replace(/\s+/g, " ").trim()
        newGroupEdit.text = ""
        if (name === "") {
            return
        }
        var known = contactsModel.groupNamed(name)
        var choices = detailsEdit.groupChoices
        for (var i = 0; known === "" && i < choices.length; ++i) {
            if (choices[i].toLowerCase() === name.toLowerCase()) {
                known = choices[i]
            }
        }
        detailsEdit.setGroup(known !== "" ? known : name, true)
    }

    function load() {
        if (contactsProxyModel.currentId === "") {
            return
        }
        var model = contactsProxyModel
        detailsEdit.nameText = detailsEdit.textOf(model.currentData(ContactsModel.NameRole))
        detailsEdit.surnameText = detailsEdit.textOf(model.currentData(ContactsModel.SurnameRole))
        detailsEdit.middlenameText =
                detailsEdit.textOf(model.currentData(ContactsModel.MiddleNameRole))
        detailsEdit.organizationText =
                detailsEdit.textOf(model.currentData(ContactsModel.OrganizationRole))
        detailsEdit.storedBirthday =
                detailsEdit.textOf(model.currentData(ContactsModel.BirthDateRole))
        detailsEdit.dateOfBirthText = detailsEdit.storedBirthday
        detailsEdit.triedSave = false
        detailsEdit.comments = detailsEdit.textOf(model.currentData(ContactsModel.CommentRole))
        detailsEdit.phoneNameList =
                detailsEdit.listOf(model.currentData(ContactsModel.PhoneGroupListRole))
        detailsEdit.phoneList = detailsEdit.listOf(model.currentData(ContactsModel.PhoneListRole))
        detailsEdit.emailNames =
                detailsEdit.listOf(model.currentData(ContactsModel.EmailGroupListRole))
        detailsEdit.emails = detailsEdit.listOf(model.currentData(ContactsModel.EmailListRole))
        detailsEdit.addressNames =
                detailsEdit.listOf(model.currentData(ContactsModel.AddressGroupListRole))
        detailsEdit.addresses =
                detailsEdit.listOf(model.currentData(ContactsModel.AddressListRole))
        detailsEdit.links = detailsEdit.listOf(model.currentData(ContactsModel.LinkListRole))
        detailsEdit.groups = detailsEdit.listOf(model.currentData(ContactsModel.GroupsRole))
        newGroupEdit.text = ""
        flickable.contentY = 0
    }

    function clear() {
        detailsEdit.nameText = ""
        detailsEdit.surnameText = ""
        detailsEdit.middlenameText = ""
        detailsEdit.organizationText = ""
        detailsEdit.storedBirthday = ""
        detailsEdit.dateOfBirthText = ""
        detailsEdit.triedSave = false
        detailsEdit.comments = ""
        detailsEdit.phoneNameList = []
        detailsEdit.phoneList = []
        detailsEdit.emailNames = []
        detailsEdit.emails = []
        detailsEdit.addressNames = []
        detailsEdit.addresses = []
        detailsEdit.links = []
        // A contact added while a group is listed joins it.
        var shown = contactsProxyModel.groupFilter
        detailsEdit.groups = shown !== "" ? [shown] : []
        newGroupEdit.text = ""
        flickable.contentY = 0
    }

    // Drops the rows whose text is empty (after trimming) together with their
    // labels, so that no empty entry is stored and the lists stay paired.
    function withoutEmptyRows(values, names, withNames) {
        var keptValues = []
        var keptNames = []
        for (var i = 0; i < values.length; ++i) {
            var value = values[i] === undefined || values[i] === null ? "" : String(values[i])
            if (value.trim() === "") {
                continue
            }
            keptValues.push(value)
            if (withNames) {
                keptNames.push(names && i < names.length ? String(names[i]) : "")
            }
        }
        return { "values": keptValues, "names": keptNames }
    }

    // Writes the rows of the four lists back and reassigns the lists, so that
    // the bindings into newContact see the new contents.
    function save() {
        detailsEdit.addTypedGroup()
        phoneGroup.saveYourself()
        emailGroup.saveYourself()
        addressGroup.saveYourself()
        linkGroup.saveYourself()
        var phones = detailsEdit.withoutEmptyRows(detailsEdit.phoneList,
                                                  detailsEdit.phoneNameList, true)
        var emails = detailsEdit.withoutEmptyRows(detailsEdit.emails, detailsEdit.emailNames, true)
        var addresses = detailsEdit.withoutEmptyRows(detailsEdit.addresses,
                                                     detailsEdit.addressNames, true)
        var links = detailsEdit.withoutEmptyRows(detailsEdit.links, [], false)
        detailsEdit.phoneNameList = phones.names
        detailsEdit.phoneList = phones.values
        detailsEdit.emailNames = emails.names
        detailsEdit.emails = emails.values
        detailsEdit.addressNames = addresses.names
        detailsEdit.addresses = addresses.values
        detailsEdit.links = links.values
    }

    // Day.month.year with two-digit day and month; day.month alone for a
    // birthday without a year.
    function onSelectDate(date, withoutYear) {
        var day = date.getDate()
        var month = date.getMonth() + 1
        var dayMonth = (day < 10 ? "0" : "") + day + "." + (month < 10 ? "0" : "") + month
        detailsEdit.dateOfBirthText = withoutYear ? dayMonth : dayMonth + "." + date.getFullYear()
    }

    Connections {
        target: contactsProxyModel

        // What is being typed is never replaced.
        function onCurrentIdChanged() {
            if (!detailsEdit.visible) {
                detailsEdit.load()
            }
        }
    }

    Connections {
        target: root

        function onShowEditDetails(add) {
            detailsEdit.editedId = ""
            detailsEdit.adding = add
            if (add) {
                detailsEdit.clear()
            } else {
                detailsEdit.load()
                detailsEdit.editedId =
                        detailsEdit.textOf(contactsProxyModel.currentData(ContactsModel.IdRole))
            }
            detailsEdit.visible = true
            nameEdit.takeFocus()
        }

        // The editor drops unsaved input and shows the stored contact again.
        function onHideEditDetails() {
            detailsEdit.visible = false
            detailsEdit.editedId = ""
            detailsEdit.load()
        }

        function onSaveEditDetails() {
            detailsEdit.save()
        }
    }

    Flickable {
        id: flickable

        anchors.fill: parent
        clip: true
        flickableDirection: Flickable.VerticalFlick
        boundsBehavior: Flickable.StopAtBounds
        contentWidth: flickable.width
        contentHeight: column.height

        Column {
            id: column

            width: flickable.width

            GroupLabel {
                width: column.width
                height: root.itemHeight
                text: qsTr("NAME")
            }

            LineEdit {
                id: nameEdit

                objectName: "nameField"
                width: column.width
                placeholderText: qsTr("Name")
                caption: qsTr("Name")
            }

            LineEdit {
                id: surnameEdit

                objectName: "surnameField"
                width: column.width
                placeholderText: qsTr("Surname")
                caption: qsTr("Surname")
            }

            LineEdit {
                id: middlenameEdit

                objectName: "middlenameField"
                width: column.width
                placeholderText: qsTr("Middlename")
                caption: qsTr("Middlename")
            }

            DetailsGroupEdit {
                id: phoneGroup

                objectName: "phoneEdit"
                width: column.width
                groupText: qsTr("PHONE")
                inputMethodHints: Qt.ImhDialableCharactersOnly
                placeHolderText: "+7 012 345-67-89"
            }

            GroupLabel {
                width: column.width
                height: root.itemHeight
                text: qsTr("PRIVATE")
            }

            Row {
                width: column.width
                spacing: 10

                LineEdit {
                    id: dateOfBirthEdit

                    objectName: "dateOfBirthEdit"
                    width: column.width - calendarButton.width - 10
                    placeholderText: qsTr("Date of birth (01.12.1980)")
                    caption: qsTr("Birthday")
                    validator: birthdayValidator
                    errorText: detailsEdit.triedSave || !dateOfBirthEdit.inputFocus
                               ? detailsEdit.birthdayProblem : ""

                    BirthdayValidator { id: birthdayValidator }
                }

                ImageButton {
                    id: calendarButton

                    objectName: "calendarButton"
                    width: root.itemHeight
                    height: root.itemHeight
                    source: "images/calendar.png"
                    Accessible.name: qsTr("Choose date of birth")
                    onClicked: calendarForm.show(dateOfBirthEdit.text, detailsEdit.onSelectDate)
                }
            }

            LineEdit {
                id: organizationEdit

                objectName: "organizationEdit"
                width: column.width
                placeholderText: qsTr("Organization")
                caption: qsTr("Organization")
            }

            DetailsGroupEdit {
                id: emailGroup

                objectName: "emailEdit"
                width: column.width
                groupText: qsTr("EMAIL")
                placeHolderText: "anna.smith@example.com"
                inputMethodHints: Qt.ImhEmailCharactersOnly
            }

            DetailsGroupEdit {
                id: addressGroup

                objectName: "addressEdit"
                width: column.width
                groupText: qsTr("ADDRESS")
                placeHolderText: qsTr("Address")
            }

            DetailsGroupEdit {
                id: linkGroup

                objectName: "linkEdit"
                width: column.width
                groupText: qsTr("LINKS")
                placeHolderText: "https://www.example.com"
                withGroup: false
                inputMethodHints: Qt.ImhUrlCharactersOnly
            }

            GroupLabel {
                width: column.width
                height: root.itemHeight
                text: qsTr("GROUPS")
            }

            Flow {
                objectName: "groupChoices"
                width: column.width

                Repeater {
                    model: detailsEdit.groupChoices

                    CheckBox {
                        id: groupBox

                        objectName: "groupChoice_" + modelData
                        text: modelData
                        fontSize: 13
                        on: detailsEdit.groups.indexOf(modelData) >= 0
                        // The shown group a new contact joins in any case.
                        enabled: !detailsEdit.adding || modelData !== contactsProxyModel.groupFilter
                        activeFocusOnTab: true
                        onClicked: {
                            detailsEdit.setGroup(modelData, groupBox.on)
                            groupBox.on = Qt.binding(function() {
                                return detailsEdit.groups.indexOf(modelData) >= 0
                            })
                        }
                    }
                }
            }

            Row {
                width: column.width
                spacing: 10

                LineEdit {
                    id: newGroupEdit

                    objectName: "newGroupField"
                    width: column.width - addGroupButton.width - 10
                    placeholderText: qsTr("New group")
                    caption: qsTr("New group")
                    onAccepted: detailsEdit.addTypedGroup()
                }

                ImageButton {
                    id: addGroupButton

                    objectName: "addGroupButton"
                    width: root.itemHeight
                    height: root.itemHeight
                    source: "images/add.png"
                    Accessible.name: qsTr("Add to the new group")
                    onClicked: detailsEdit.addTypedGroup()
                }
            }

            GroupLabel {
                width: column.width
                height: root.itemHeight
                text: qsTr("COMMENT")
            }

            LineEdit {
                id: commentEdit

                objectName: "commentEdit"
                width: column.width
                placeholderText: qsTr("Additional info")
                caption: qsTr("Additional info")
            }

            Rectangle {
                width: column.width
                height: root.itemHeight
                color: "transparent"
            }
        }
    }
}
