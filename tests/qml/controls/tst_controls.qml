import QtQuick 2.0
import QtTest 1.0
import "qrc:///qml"

// The scene-wide objects that the controls address by id, as the main scene
// creates them, with a recording stand-in for the proxy model's label list.
Rectangle {
    id: root

    property real itemHeight: tabletMode ? 80 : 50

    width: 900
    height: 1000

    Style { id: styles }

    QtObject {
        id: contactsProxyModel

        property var groupLabels: ["Mobile", "Home", "Work", "Create new"]
        property var calls: []

        function addGroupLabel(label) {
            calls.push("add " + label)
            var labels = groupLabels.slice()
            labels.splice(labels.length - 1, 0, label)
            groupLabels = labels
        }

        function removeGroupLabel(label) {
            calls.push("remove " + label)
            var labels = groupLabels.slice()
            var index = labels.indexOf(label)
            if (index >= 0) {
                labels.splice(index, 1)
                groupLabels = labels
            }
        }
    }

    Column {
        ComboBox {
            id: labelPicker

            defaultString: "Mobile"
        }
    }

    ComboBoxStandart {
        id: dropDown

        y: root.height - 2 * root.itemHeight
        width: 300
        height: root.itemHeight
        colorLight: "#f9f9f9"
        colorDark: "#eeeeee"
    }

    ListViewForm { id: listViewForm }
    LineEditForm { id: lineEditForm }
    MessageForm { id: messageForm }
    ComboBoxList { id: comboBoxList }

    SignalSpy { id: dropDownSpy; target: dropDown; signalName: "clicked" }

    TestCase {
        name: "Controls"
        when: windowShown

        function showList(labels, groupMode, callback) {
            listViewForm.groupMode = groupMode
            listViewForm.show(labels, callback ? callback : function() {})
            tryCompare(listViewForm, "opacity", 1.0)
        }

        function row(index) {
            var item = findChild(listViewForm, "listViewFormRow" + index)
            verify(item, "row " + index)
            return item
        }

        // The open drop-down's row; waits for the list to lay out its rows.
        function dropDownRow(index) {
            var list = findChild(comboBoxList, "comboBoxListView")
            tryCompare(list, "count", dropDown.model.length)
            waitForRendering(list)
            var item = null
            tryVerify(function() {
                item = findChild(comboBoxList, "comboBoxRow" + index)
                return item !== null && item.visible && item.text === dropDown.model[index]
            })
            return item
        }

        function cleanup() {
            listViewForm.cancel()
            lineEditForm.close()
            messageForm.close()
            tryCompare(listViewForm, "opacity", 0)
            tryCompare(lineEditForm, "opacity", 0)
            tryCompare(messageForm, "opacity", 0)
            dropDown.opened = false
            dropDown.y = root.height - 2 * root.itemHeight
            contactsProxyModel.groupLabels = ["Mobile", "Home", "Work", "Create new"]
            contactsProxyModel.calls = []
        }

        function test_removingLabelKeepsChooserOpen() {
            var labels = ["Mobile", "Home", "Work", "Car", "Boat", "Create new"]
            contactsProxyModel.groupLabels = labels.slice()
            showList(labels, true)
            mouseClick(findChild(row(4), "removeMark"))
            compare(contactsProxyModel.calls, ["remove Boat"])
            compare(listViewForm.opacity, 1.0)
            compare(listViewForm.model, ["Mobile", "Home", "Work", "Car", "Create new"])
            compare(labels.length, 6, "the caller's list is unchanged")
            // The chooser now holds five entries: only the fourth keeps a mark.
            compare(findChild(row(3), "removeMark").visible, true)
            compare(findChild(row(4), "removeMark").visible, false)
        }

        function pickLastLabel() {
            mouseClick(labelPicker)
            tryCompare(listViewForm, "opacity", 1.0)
            compare(listViewForm.groupMode, true)
            mouseClick(row(listViewForm.model.length - 1))
            tryCompare(lineEditForm, "opacity", 1.0)
            return findChild(lineEditForm, "lineEditFormInput")
        }

        function test_newLabelPrompt() {
            labelPicker.currentString = "Home"
            var input = pickLastLabel()
            compare(input.text, "", "the prompt starts empty")
            input.text = "Work"
            mouseClick(findChild(lineEditForm, "lineEditOkButton"))
            compare(labelPicker.currentString, "Work")
            compare(contactsProxyModel.calls, [], "an existing label is not added again")
            tryCompare(lineEditForm, "opacity", 0)

            input = pickLastLabel()
            input.text = ""
            mouseClick(findChild(lineEditForm, "lineEditOkButton"))
            compare(labelPicker.currentString, "Work", "an empty text changes nothing")
            compare(contactsProxyModel.calls, [])
            tryCompare(lineEditForm, "opacity", 0)

            input = pickLastLabel()
            input.text = "Car"
            mouseClick(findChild(lineEditForm, "lineEditOkButton"))
            compare(labelPicker.currentString, "Car")
            compare(contactsProxyModel.calls, ["add Car"])
            compare(contactsProxyModel.groupLabels, ["Mobile", "Home", "Work", "Car", "Create new"])
        }

        function test_dropDownSameRowEmitsNothing() {
            dropDown.y = 300
            dropDown.model = ["Windows-1251", "UTF-8", "UTF-16"]
            dropDown.currentIndex = 1
            dropDownSpy.clear()
            mouseClick(dropDown)
            mouseClick(dropDownRow(1))
            compare(dropDown.opened, false)
            compare(comboBoxList.visible, false)
            compare(dropDownSpy.count, 0)

            mouseClick(dropDown)
            mouseClick(dropDownRow(2))
            compare(dropDown.opened, false)
            compare(dropDown.currentIndex, 2)
            compare(dropDownSpy.count, 1)
            compare(dropDownSpy.signalArguments[0][0], "UTF-16")
            compare(dropDownSpy.signalArguments[0][1], 2)
        }

        function test_dropDownDisabledRow() {
            dropDown.y = 300
            dropDown.model = ["a", "b", "c"]
            dropDown.currentIndex = 0
            dropDown.disableMap = [[1, function() { return true }], [1, function() { return false }]]
            compare(dropDown.isDisabled(0), false)
            compare(dropDown.isDisabled(1), true, "the first pair for a row decides")
            dropDownSpy.clear()
            mouseClick(dropDown)
            mouseClick(dropDownRow(1))
            compare(dropDownSpy.count, 0)
            compare(dropDown.currentIndex, 0)
            dropDown.opened = false
            dropDown.disableMap = []
        }
    }
}
