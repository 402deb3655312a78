import QtQuick 2.0

// Section title of the details view and the editor: bold text over a line,
// with an optional button at the right edge.
Item {
    id: groupLabel

    property alias text: label.text
    property color color: styles.highlightColor
    property alias leftMargin: label.x
    property bool withButton: false
    property string buttonText: "+"

    signal clicked

    height: root.itemHeight

    Text {
        id: label

        x: 10
        anchors.bottom: line.top
        width: Math.max(0, (groupLabel.withButton ? button.x : groupLabel.width) - label.x)
        height: groupLabel.height * 0.9
        color: groupLabel.color
        font { bold: true; pointSize: 14 }
        fontSizeMode: Text.VerticalFit
        minimumPointSize: 6
        verticalAlignment: Text.AlignBottom
        elide: Text.ElideRight
        Accessible.role: Accessible.Heading
        Accessible.name: label.text
    }

    Rectangle {
        id: line

        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        height: 3
        color: groupLabel.color
    }

    Rectangle {
        id: button

        objectName: "groupLabelButton"
        anchors {
            right: parent.right
            top: parent.top
            topMargin: groupLabel.height * 0.1
            bottom: line.top
        }
        width: tabletMode ? 40 : 30
        visible: groupLabel.withButton
        color: buttonMouse.pressed ? groupLabel.color : "transparent"
        Accessible.role: Accessible.Button
        Accessible.name: buttonLabel.text + " " + label.text
        Accessible.onPressAction: groupLabel.clicked()

        Text {
            id: buttonLabel

            anchors.fill: parent
            text: groupLabel.buttonText
            color: buttonMouse.pressed ? "white" : groupLabel.color
            font { bold: true; pixelSize: Math.max(1, button.width) }
            fontSizeMode: Text.Fit
            minimumPixelSize: 4
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }

        MouseArea {
            id: buttonMouse

            anchors.fill: parent
            enabled: groupLabel.withButton
            hoverEnabled: !tabletMode
            onClicked: groupLabel.clicked()
        }

        ToolTip {
            area: buttonMouse
            text: button.Accessible.name
        }
    }
}
