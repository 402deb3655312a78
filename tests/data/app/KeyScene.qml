import QtQuick 2.0

// Counts the key presses that reach the scene.
Rectangle {
    id: scene

    property int f1Presses: 0
    property int otherPresses: 0

    width: 200
    height: 200
    focus: true

    Keys.onPressed: {
        if (event.key === Qt.Key_F1) {
            scene.f1Presses++
        } else {
            scene.otherPresses++
        }
    }
}
