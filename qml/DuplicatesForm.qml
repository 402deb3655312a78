import QtQuick 2.0
import ContactsModelBackend 1.0

// Find duplicates: the groups of contacts that are likely one person with
// the reasons in words, a preview of the contact their merge makes, the
// choice between the values of a field that holds one and differs, and the
// merge (undone from the undo bar) or the mark "Not the same person".
OverlayForm {
    id: duplicatesForm

    // The value chosen for each field that conflicts, by field name.
    property var choices: ({})
    property var preview: ({})
    // The main scene's list model, by a name the search's own property does
    // not hide.
    readonly property var contacts: contactsModel

    function show() {
        duplicatesForm.open()
        groupList.currentIndex = -1
        duplicatesModel.find()
        groupList.forceActiveFocus()
    }

    function refreshPreview() {
        duplicatesForm.preview = groupList.currentIndex >= 0
                ? duplicatesModel.preview(groupList.currentIndex, duplicatesForm.choices) : ({})
    }

    function select(row) {
        duplicatesForm.choices = {}
        groupList.currentIndex = row
        duplicatesForm.refreshPreview()
    }

    function choose(field, value) {
        var chosen = duplicatesForm.choices
        chosen[field] = value
        duplicatesForm.choices = chosen
        duplicatesForm.refreshPreview()
    }


    function mergeCurrent() {
        var row = groupList.currentIndex
        if (row >= 0 && duplicatesModel.merge(row, duplicatesForm.choices)) {
            duplicatesForm.select(Math.min(row, duplicatesModel.count - 1))
        }
    }

    function markCurrent() {
        var row = groupList.currentIndex
        if (row >= 0) {
            duplicatesModel.markDistinct(row)
            duplicatesForm.select(Math.min(row, duplicatesModel.count - 1))
        }
    }

    z: 998
    Accessible.name: qsTr("Find duplicates")
    onAccepted: duplicatesForm.mergeCurrent()

    DuplicatesModel {
        id: duplicatesModel

        contactsModel: duplicatesForm.contacts
        dataBase: db
        onBusyChanged: {
            if (!duplicatesModel.busy) {
                duplicatesForm.select(duplicatesModel.count > 0 ? 0 : -1)
            }
        }
    }

    Rectangle {
        id: panel

        anchors { fill: parent; margins: Math.min(duplicatesForm.width, duplicatesForm.height) * 0.08 }
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        Text {
            id: status

            objectName: "duplicatesStatus"
            anchors { left: parent.left; right: parent.right; top: parent.top; margins: 10 }
            color: styles.foreground.textColor
            font.pointSize: 14
            wrapMode: Text.Wrap
            text: duplicatesModel.busy ? qsTr("Looking for duplicates…")
                                       : duplicatesModel.count === 0
                                         ? qsTr("No duplicates found.")
                                         : qsTr("%Ln group(s) of likely duplicates", "",
                                                duplicatesModel.count)
            Accessible.role: Accessible.StaticText
            Accessible.name: status.text
        }

        ListView {
            id: groupList

            objectName: "duplicateGroups"
            anchors {
                left: parent.left
                top: status.bottom
                bottom: buttons.top
                margins: 10
            }
            width: panel.width * 0.45
            clip: true
            model: duplicatesModel
            focus: true
            highlightMoveDuration: 0
            onCurrentIndexChanged: {
                duplicatesForm.choices = {}
                duplicatesForm.refreshPreview()
            }
            Accessible.role: Accessible.List
            Accessible.name: qsTr("Likely duplicates")

            delegate: Rectangle {
                id: groupRow

                objectName: "duplicateGroup" + index
                width: groupList.width
                height: groupColumn.height + 12
                color: ListView.isCurrentItem ? "#dde8f4" : "white"
                Accessible.role: Accessible.ListItem
                Accessible.name: model.names.join(", ") + ": " + model.reasons.join(", ")
                Accessible.selected: groupRow.ListView.isCurrentItem

                Column {
                    id: groupColumn

                    anchors { left: parent.left; right: parent.right; top: parent.top; margins: 6 }

                    Text {
                        width: groupColumn.width
                        text: model.names.join(", ")
                        font { pointSize: 13; bold: true }
                        color: "#333333"
                        elide: Text.ElideRight
                    }

                    Text {
                        width: groupColumn.width
                        text: model.reasons.join(", ")
                        font.pointSize: 11
                        color: "#777777"
                        wrapMode: Text.Wrap
                    }
                }

                Rectangle {
                    anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                    height: 1
                    color: "#dddddd"
                }

                MouseArea {
                    anchors.fill: parent
                    onClicked: {
                        groupList.forceActiveFocus()
                        duplicatesForm.select(index)
                    }
                }
            }
        }

        Flickable {
            id: previewArea

            objectName: "duplicatePreview"
            anchors {
                left: groupList.right
                right: parent.right
                top: status.bottom
                bottom: buttons.top
                margins: 10
            }
            clip: true
            contentWidth: previewArea.width
            contentHeight: previewColumn.height
            visible: groupList.currentIndex >= 0
            Accessible.role: Accessible.Pane
            Accessible.name: qsTr("Merged contact")

            Column {
                id: previewColumn

                width: previewArea.width
                spacing: 6

                Text {
                    objectName: "previewName"
                    width: previewColumn.width
                    text: duplicatesForm.preview.fullname !== undefined
                          ? duplicatesForm.preview.fullname + (duplicatesForm.preview.favorite ? " ★" : "")
                          : ""
                    font { pointSize: 15; bold: true }
                    color: styles.foreground.textColor
                    wrapMode: Text.Wrap
                }

                Image {
                    objectName: "previewPhoto"
                    width: 64
                    height: 64
                    fillMode: Image.PreserveAspectFit
                    visible: !!duplicatesForm.preview.photoId
                    source: duplicatesForm.preview.photoId
                            ? "image://ContactsImageProvider/" + duplicatesForm.preview.photoId : ""
                }

                Repeater {
                    model: [duplicatesForm.preview.organization, duplicatesForm.preview.dateOfBirth]
                           .concat(duplicatesForm.preview.details || [])
                           .concat([duplicatesForm.preview.comment])

                    Text {
                        width: previewColumn.width
                        visible: !!modelData
                        text: modelData || ""
                        font.pointSize: 12
                        color: "#555555"
                        wrapMode: Text.Wrap
                    }
                }

                Repeater {
                    objectName: "conflicts"
                    model: duplicatesForm.preview.conflicts || []

                    Column {
                        id: conflict

                        property var entry: modelData
                        // A photo is chosen by its picture, any other field by its text.
                        readonly property bool isPhoto: conflict.entry.field === "photo"

                        width: previewColumn.width
                        spacing: 4

                        Text {
                            width: conflict.width
                            text: qsTr("%1 differs, keep which?").arg(conflict.entry.label)
                            font { pointSize: 12; bold: true }
                            color: "#aa5500"
                            wrapMode: Text.Wrap
                        }

                        Flow {
                            width: conflict.width
                            spacing: 6

                            Repeater {
                                model: conflict.entry.values

                                Rectangle {
                                    id: choice

                                    property bool chosen: conflict.entry.chosen === modelData

                                    objectName: "choice_" + conflict.entry.field + "_" + index
                                    width: conflict.isPhoto
                                           ? 72 : choiceText.implicitWidth + 20
                                    height: conflict.isPhoto ? 72 : root.itemHeight * 0.8
                                    radius: 2
                                    color: choice.chosen ? "#dde8f4" : "white"
                                    border { width: choice.chosen ? 2 : 1
                                             color: choice.chosen ? "#4a7ab5" : "#dddddd" }
                                    Accessible.role: Accessible.RadioButton
                                    Accessible.name: conflict.isPhoto
                                                     ? qsTr("Photo %1").arg(index + 1) : modelData
                                    Accessible.checked: choice.chosen
                                    Accessible.onPressAction: duplicatesForm.choose(
                                                                  conflict.entry.field, modelData)

                                    Text {
                                        id: choiceText

                                        anchors.centerIn: parent
                                        visible: !conflict.isPhoto
                                        text: modelData
                                        font.pointSize: 12
                                        color: "#333333"
                                    }

                                    Image {
                                        anchors { fill: parent; margins: 4 }
                                        visible: conflict.isPhoto
                                        fillMode: Image.PreserveAspectFit
                                        source: conflict.isPhoto
                                                ? "image://ContactsImageProvider/" + modelData : ""
                                    }

                                    MouseArea {
                                        anchors.fill: parent
                                        onClicked: duplicatesForm.choose(conflict.entry.field,
                                                                         modelData)
                                    }
                                }
                            }
                        }
                    }
                }
            }
        }

        Row {
            id: buttons

            anchors { bottom: parent.bottom; horizontalCenter: parent.horizontalCenter; margins: 10 }
            spacing: 10

            Button {
                objectName: "mergeButton"
                width: Math.min(panel.width * 0.3, 200)
                height: root.itemHeight * 0.8
                enabled: groupList.currentIndex >= 0 && !duplicatesModel.busy
                buttonText: qsTr("Merge")
                onClicked: duplicatesForm.mergeCurrent()
            }

            Button {
                objectName: "distinctButton"
                width: Math.min(panel.width * 0.3, 200)
                height: root.itemHeight * 0.8
                enabled: groupList.currentIndex >= 0 && !duplicatesModel.busy
                buttonText: qsTr("Not the same person")
                onClicked: duplicatesForm.markCurrent()
            }

            Button {
                objectName: "duplicatesCloseButton"
                width: Math.min(panel.width * 0.3, 200)
                height: root.itemHeight * 0.8
                buttonText: qsTr("Close")
                onClicked: duplicatesForm.close()
            }
        }
    }
}
