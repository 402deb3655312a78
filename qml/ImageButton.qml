import QtQuick 2.0

// Square button that shows a picture on a white face.
Item {
    id: imageButton

    property alias backgroundColor: face.color
    property alias source: image.source

    signal clicked

    width: root.itemHeight
    height: root.itemHeight
    Accessible.role: Accessible.Button
    Accessible.onPressAction: imageButton.clicked()

    Shadow {
        target: face
        horizontalOffset: mouseArea.pressed ? 0 : -1
        verticalOffset: mouseArea.pressed ? 0 : 1
        radius: 2
        samples: 4
    }

    Rectangle {
        id: face

        anchors.fill: parent
        color: mouseArea.pressed ? "#eeeeee" : "white"
    }

    Image {
        id: image

        anchors {
            fill: parent
            margins: Math.min(imageButton.width, imageButton.height) * 0.1
        }
        fillMode: Image.PreserveAspectFit
        smooth: true
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        hoverEnabled: !tabletMode
        onClicked: imageButton.clicked()
    }

    ToolTip {
        area: mouseArea
        text: imageButton.Accessible.name
    }
}
