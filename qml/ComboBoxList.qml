import QtQuick 2.0

// The one drop-down list of the scene, opened by a ComboBoxStandart right
// under its face and cut at the bottom of the scene, or right above it.
Item {
    id: comboBoxList

    property Item comboBox: null
    property real listTop: 0
    property real faceTop: 0
    readonly property bool upwards: comboBoxList.comboBox ? comboBoxList.comboBox.opensUpwards
                                                          : false

    function show(item, xywh) {
        comboBoxList.comboBox = item
        listRect.x = xywh.x
        comboBoxList.listTop = xywh.y
        comboBoxList.faceTop = xywh.faceTop !== undefined ? xywh.faceTop : xywh.y
        listRect.width = xywh.width
        item.opened = true
    }

    function close() {
        if (comboBoxList.comboBox) {
            comboBoxList.comboBox.opened = false
        }
    }

    function choose(index, text) {
        var box = comboBoxList.comboBox
        comboBoxList.close()
        if (index !== box.currentIndex) {
            box.currentIndex = index
            box.clicked(text, index)
        }
    }

    anchors.fill: parent
    z: 1000
    visible: comboBoxList.comboBox ? comboBoxList.comboBox.opened : false

    MouseArea {
        objectName: "comboBoxListOutside"
        anchors.fill: parent
        onClicked: {
            if (comboBoxList.comboBox) {
                comboBoxList.comboBox.opened = !comboBoxList.comboBox.opened
            }
        }
    }

    Rectangle {
        id: listRect

        readonly property string buttonText: comboBoxList.comboBox ? comboBoxList.comboBox.buttonText : ""
        readonly property int rows: comboBoxList.comboBox && comboBoxList.comboBox.model
                                    ? comboBoxList.comboBox.model.length : 0
        readonly property real wantedHeight: listRect.rows * root.itemHeight
                                             + (listRect.buttonText !== "" ? root.itemHeight + 12 : 0)

        objectName: "comboBoxListRect"
        // Downwards it is cut at the bottom of the scene, upwards at the top.
        y: comboBoxList.upwards ? comboBoxList.faceTop - 1 - listRect.height : comboBoxList.listTop
        height: Math.max(0, Math.min(listRect.wantedHeight,
                                     comboBoxList.upwards ? comboBoxList.faceTop - 1
                                                          : root.height - comboBoxList.listTop))
        color: comboBoxList.comboBox ? comboBoxList.comboBox.colorDark : "white"
        border { width: 1; color: Qt.darker(listRect.color) }
        radius: 2
        clip: true

        MouseArea {
            anchors.fill: parent
        }

        ListView {
            id: listView

            objectName: "comboBoxListView"
            anchors {
                fill: parent
                margins: 1
                bottomMargin: listRect.buttonText !== "" ? root.itemHeight + 12 : 1
            }
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: comboBoxList.comboBox ? comboBoxList.comboBox.model : []

            delegate: Rectangle {
                id: row

                readonly property string text: rowText.text
                readonly property bool rowEnabled: comboBoxList.comboBox
                                                   ? !comboBoxList.comboBox.isDisabled(index) : true

                objectName: "comboBoxRow" + index
                width: listView.width
                height: root.itemHeight
                enabled: row.rowEnabled
                color: rowMouse.pressed ? styles.highlightColor
                                        : (comboBoxList.comboBox ? comboBoxList.comboBox.colorLight : "white")
                Accessible.role: Accessible.ListItem
                Accessible.name: rowText.text
                Accessible.onPressAction: comboBoxList.choose(index, rowText.text)

                Text {
                    id: rowText

                    anchors {
                        fill: parent
                        leftMargin: 10
                        rightMargin: 10
                    }
                    text: modelData
                    color: !row.enabled ? "grey" : (rowMouse.pressed ? "white" : "#444444")
                    font.pointSize: 14
                    fontSizeMode: Text.Fit
                    minimumPointSize: 6
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }

                Rectangle {
                    anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                    height: 1
                    color: Qt.darker(row.color, 1.1)
                }

                MouseArea {
                    id: rowMouse

                    anchors.fill: parent
                    onClicked: comboBoxList.choose(index, rowText.text)
                }
            }
        }

        Rectangle {
            anchors {
                left: parent.left
                right: parent.right
                bottom: listButton.top
                bottomMargin: 5
            }
            visible: listRect.buttonText !== ""
            height: 1
            color: listRect.border.color
        }

        Button {
            id: listButton

            objectName: "comboBoxListButton"
            anchors {
                left: parent.left
                right: parent.right
                bottom: parent.bottom
                margins: 5
            }
            height: root.itemHeight
            visible: listRect.buttonText !== ""
            buttonText: listRect.buttonText
            onClicked: {
                var box = comboBoxList.comboBox
                comboBoxList.close()
                box.buttonClicked()
            }
        }
    }
}
