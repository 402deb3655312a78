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
        CheckBox {
            id: checkBox

            property var onAtClick: []

            text: "Remember"
            onClicked: checkBox.onAtClick.push(checkBox.on)
        }

        LineEdit {
            id: lineEdit

            width: 400
            placeholderText: "Search"
        }

        LineEdit {
            id: lineEditWithoutClear

            width: 400
            showClearButton: false
        }

        Row {
            height: root.itemHeight

            MenuButton {
                id: menuButton

                text: ""
                imagePath: "qrc:///qml/images/user_48.png"
                imageSub: "qrc:///qml/images/add.png"
            }

            MenuFilterButton {
                id: whiteFilter

                text: "All"
                imagePath: "qrc:///qml/images/user_48.png"
                imageColor: "#ffffff"
            }

            MenuFilterButton {
                id: plainFilter

                text: "Plain"
                imagePath: "qrc:///qml/images/user_48.png"
            }
        }

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

    SignalSpy { id: checkBoxSpy; target: checkBox; signalName: "clicked" }
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

        function test_removeMarks_data() {
            return [
                { tag: "four labels: none", labels: ["Mobile", "Home", "Work", "Create new"],
                  groupMode: true, marked: [] },
                { tag: "five labels: only the fourth", labels: ["Mobile", "Home", "Work", "Car", "Create new"],
                  groupMode: true, marked: [3] },
                { tag: "seven labels: the user's own", labels: ["Mobile", "Home", "Work", "Car", "Boat", "Dacha", "Create new"],
                  groupMode: true, marked: [3, 4, 5] },
                { tag: "not in group mode", labels: ["Mobile", "Home", "Work", "Car", "Create new"],
                  groupMode: false, marked: [] }
            ]
        }

        function test_removeMarks(data) {
            showList(data.labels, data.groupMode)
            for (var i = 0; i < data.labels.length; ++i) {
                var mark = findChild(row(i), "removeMark")
                compare(mark.visible, data.marked.indexOf(i) >= 0, "row " + i)
            }
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

        function test_dropDownClickOutsideCloses() {
            dropDown.model = ["a", "b"]
            mouseClick(dropDown)
            compare(dropDown.opened, true)
            mouseClick(root, 5, 5)
            compare(dropDown.opened, false)
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

        function test_disabledCheckBoxIgnoresClicks() {
            checkBox.on = true
            checkBox.enabled = false
            checkBoxSpy.clear()
            mouseClick(checkBox)
            compare(checkBox.on, true)
            compare(checkBoxSpy.count, 0)
            checkBox.enabled = true
        }

        function test_overlaysFollowLowEffects() {
            compare(findChild(menuButton, "iconOverlay").visible, !lowEffects)
            compare(findChild(whiteFilter, "iconOverlay").visible, !lowEffects)
            compare(findChild(plainFilter, "iconOverlay").visible, false, "black means no overlay")
        }

    }
}
