import QtQuick 2.0
import ContactsModelBackend 1.0

// Editable list of one kind of entry (phones, e-mails, addresses or links):
// a title with "+", then one text field per value with its group label and
// a remove mark. The rows write back into detailsData / detailsName only on
// saveYourself, which the editor sends before the contact is saved.
Column {
    id: groupEdit

    property var detailsData: []
    property var detailsName: []
    property alias groupText: groupLabel.text
    property int inputMethodHints: 0
    property string placeHolderText: "+7 012 345-67-89"
    property bool withGroup: true

    readonly property bool isPhone: groupEdit.groupText === qsTr("PHONE")
    readonly property string defaultLabel: groupEdit.isPhone ? qsTr("Mobile") : qsTr("Home")
    property bool lastRowEmpty: false

    signal saveYourself

    PhoneValidator { id: phoneValidator }

    function copyOf(list) {
        var copy = []
        if (list) {
            for (var i = 0; i < list.length; ++i) {
                copy.push(list[i] === undefined || list[i] === null ? "" : String(list[i]))
            }
        }
        return copy
    }

    function addRow() {
        groupEdit.saveYourself()
        var names = groupEdit.copyOf(groupEdit.detailsName)
        var values = groupEdit.copyOf(groupEdit.detailsData)
        if (groupEdit.withGroup) {
            names.push(groupEdit.defaultLabel)
        }
        values.push("")
        groupEdit.detailsName = names
        groupEdit.detailsData = values
    }

    function removeRow(index) {
        groupEdit.saveYourself()
        var names = groupEdit.copyOf(groupEdit.detailsName)
        var values = groupEdit.copyOf(groupEdit.detailsData)
        if (groupEdit.withGroup && index < names.length) {
            names.splice(index, 1)
        }
        if (index < values.length) {
            values.splice(index, 1)
        }
        groupEdit.detailsName = names
        groupEdit.detailsData = values
    }

    function updateLastRow() {
        var last = repeater.count > 0 ? repeater.itemAt(repeater.count - 1) : null
        groupEdit.lastRowEmpty = last ? last.text === "" : false
    }

    onSaveYourself: {
        for (var i = 0; i < repeater.count; ++i) {
            var row = repeater.itemAt(i)
            if (row) {
                row.save()
            }
        }
    }

    GroupLabel {
        id: groupLabel

        width: groupEdit.width
        height: root.itemHeight
        withButton: repeater.count === 0 || !groupEdit.lastRowEmpty
        onClicked: groupEdit.addRow()
    }

    Repeater {
        id: repeater

        model: groupEdit.detailsData

        onItemAdded: groupEdit.updateLastRow()
        onItemRemoved: groupEdit.updateLastRow()

        delegate: Item {
            id: row

            property alias text: field.text

            function save() {
                if (index < groupEdit.detailsData.length) {
                    groupEdit.detailsData[index] = field.text
                }
                if (groupEdit.withGroup && index < groupEdit.detailsName.length) {
                    groupEdit.detailsName[index] = label.currentString !== ""
                            ? label.currentString : label.defaultString
                }
            }

            objectName: "editRow" + index
            width: groupEdit.width
            height: root.itemHeight

            LineEdit {
                id: field

                objectName: "field"
                width: groupEdit.withGroup ? row.width * 0.6 : row.width - removeMark.width
                height: row.height
                placeholderText: groupEdit.placeHolderText
                text: modelData
                showClearButton: false
                inputMethodHints: groupEdit.inputMethodHints
                validator: groupEdit.isPhone ? phoneValidator : null
                onTextChanged: groupEdit.updateLastRow()
            }

            ComboBox {
                id: label

                objectName: "label"
                anchors {
                    left: field.right
                    leftMargin: 10
                    right: removeMark.left
                    top: parent.top
                    topMargin: 10
                    bottom: parent.bottom
                }
                visible: groupEdit.withGroup
                currentString: groupEdit.detailsName && index < groupEdit.detailsName.length
                               ? String(groupEdit.detailsName[index]) : ""
                defaultString: groupEdit.defaultLabel
            }

            Text {
                id: removeMark

                objectName: "removeMark"
                anchors {
                    right: parent.right
                    top: parent.top
                    topMargin: 10
                    bottom: parent.bottom
                }
                width: tabletMode ? 40 : 30
                text: "\u2717"
                color: styles.lineedit.placeholderColor
                font.pointSize: 20
                fontSizeMode: Text.HorizontalFit
                minimumPointSize: 4
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Remove")
                Accessible.onPressAction: groupEdit.removeRow(index)

                MouseArea {
                    id: removeMouse

                    anchors.fill: parent
                    hoverEnabled: !tabletMode
                    onClicked: groupEdit.removeRow(index)
                }

                ToolTip {
                    area: removeMouse
                    text: qsTr("Remove")
                }
            }
        }
    }
}
