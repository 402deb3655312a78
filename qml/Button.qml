import QtQuick 2.0
import QtGraphicalEffects 1.0

// Push button with a text label on a light face.
Item {
    id: button

    property alias buttonText: label.text

    signal clicked

    width: 200
    height: root.itemHeight
    Accessible.role: Accessible.Button
    Accessible.name: label.text
    Accessible.onPressAction: button.clicked()

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
        color: "lightgrey"
        radius: 2
        border { width: 1; color: "#dddddd" }

        ConicalGradient {
            anchors { fill: parent; margins: 1 }
            visible: button.enabled
            angle: -45
            horizontalOffset: -width / 2
            verticalOffset: -height / 2
            gradient: Gradient {
                GradientStop { position: 0.4; color: mouseArea.pressed ? "#f0f0f0" : "transparent" }
                GradientStop { position: 0.5; color: "#eeeeee" }
                GradientStop { position: 0.6; color: "#f0f0f0" }
            }
        }
    }

    Text {
        id: label

        anchors { fill: parent; margins: 2 }
        text: qsTr("Button")
        color: button.enabled ? "#555555" : "grey"
        font.pointSize: 14
        // A label too long for the button gets smaller before it is elided.
        fontSizeMode: Text.Fit
        minimumPointSize: 6
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideMiddle
        scale: mouseArea.pressed ? 0.95 : 1.0
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        onClicked: button.clicked()
    }
}
