import QtQuick 2.0

// List chooser: one row per entry and Cancel. In group mode the user's own
// labels carry a remove mark. The arrow keys move the current row and Enter
// chooses it; the callback gets the entry and its index.
OverlayForm {
    id: listViewForm

    property var model: []
    property var selectFunction
    property bool groupMode: false

    // `shownIndex`, when given, is the current entry, scrolled into the
    // middle.
    function show(_model, _selectFunction, shownIndex) {
        var copy = []
        for (var i = 0; i < _model.length; ++i) {
            copy.push(_model[i])
        }
        listViewForm.model = copy
        listViewForm.selectFunction = _selectFunction
        if (shownIndex !== undefined && shownIndex >= 0) {
            listView.currentIndex = shownIndex
            listView.positionViewAtIndex(shownIndex, ListView.Center)
        } else {
            listView.currentIndex = 0
            listView.positionViewAtBeginning()
        }
        listViewForm.open()
    }

    // Remove marks stand only after the three first labels and before the
    // trailing new-label entry, and only while there are more than four.
    function canRemove(index) {
        return listViewForm.groupMode && listViewForm.model.length > 4
                && index > 2 && index < listViewForm.model.length - 1
    }

    function choose(index) {
        listViewForm.close()
        listViewForm.groupMode = false
        if (listViewForm.selectFunction && index >= 0 && index < listViewForm.model.length) {
            listViewForm.selectFunction(listViewForm.model[index], index)
        }
    }

    function removeEntry(index) {
        var entry = listViewForm.model[index]
        contactsProxyModel.removeGroupLabel(entry)
        var copy = listViewForm.model.slice()
        copy.splice(index, 1)
        listViewForm.model = copy
    }

    function cancel() {
        listViewForm.close()
        listViewForm.groupMode = false
    }

    z: 999
    onAccepted: listViewForm.choose(listView.currentIndex)

    Rectangle {
        id: panel

        anchors {
            fill: parent
            leftMargin: listViewForm.width * 0.25
            rightMargin: listViewForm.width * 0.25
            topMargin: listViewForm.height * 0.25
            bottomMargin: listViewForm.height * 0.25
        }
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        ListView {
            id: listView

            objectName: "listViewFormList"
            anchors {
                left: parent.left
                right: parent.right
                top: parent.top
                bottom: cancelButton.top
                margins: 1
                bottomMargin: 10
            }
            clip: true
            focus: true
            boundsBehavior: Flickable.StopAtBounds
            highlightMoveDuration: 0
            model: listViewForm.model

            delegate: Rectangle {
                id: row

                objectName: "listViewFormRow" + index
                width: listView.width
                height: root.itemHeight
                color: rowMouse.pressed ? "#bbbbbb" : row.ListView.isCurrentItem ? "#eeeeee"
                                                                                  : "white"
                Accessible.role: Accessible.ListItem
                Accessible.name: rowText.text
                Accessible.selected: row.ListView.isCurrentItem
                Accessible.onPressAction: listViewForm.choose(index)

                Text {
                    id: rowText

                    anchors {
                        fill: parent
                        leftMargin: row.width * 0.05
                        rightMargin: removeMark.visible ? row.width * 0.1 + removeMark.width
                                                        : row.width * 0.05
                    }
                    text: modelData !== undefined && modelData !== null ? String(modelData) : ""
                    color: rowMouse.pressed ? "white" : "#555555"
                    font.pointSize: 14
                    fontSizeMode: Text.Fit
                    minimumPointSize: 6
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }

                Rectangle {
                    anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                    height: 1
                    color: "#bbbbbb"
                }

                MouseArea {
                    id: rowMouse

                    anchors.fill: parent
                    onClicked: listViewForm.choose(index)
                }

                Text {
                    id: removeMark

                    objectName: "removeMark"
                    anchors {
                        right: parent.right
                        rightMargin: row.width * 0.05
                        verticalCenter: parent.verticalCenter
                    }
                    visible: listViewForm.canRemove(index)
                    text: "\u2717"
                    color: markMouse.pressed ? "#777777" : "#888888"
                    font.pixelSize: row.height * 0.7
                    scale: markMouse.pressed ? 0.9 : 1.0
                    Accessible.role: Accessible.Button
                    Accessible.name: qsTr("Remove") + " " + rowText.text
                    Accessible.onPressAction: listViewForm.removeEntry(index)

                    MouseArea {
                        id: markMouse

                        anchors { fill: parent; margins: -5 }
                        enabled: removeMark.visible
                        hoverEnabled: !tabletMode
                        onClicked: listViewForm.removeEntry(index)
                    }

                    ToolTip {
                        area: markMouse
                        text: removeMark.Accessible.name
                    }
                }
            }
        }

        Button {
            id: cancelButton

            objectName: "listViewFormCancel"
            anchors {
                bottom: parent.bottom
                bottomMargin: 10
                horizontalCenter: parent.horizontalCenter
            }
            width: Math.min(panel.width * 0.5, 200)
            height: root.itemHeight * 0.8
            buttonText: qsTr("Cancel")
            onClicked: listViewForm.cancel()
        }
    }
}
