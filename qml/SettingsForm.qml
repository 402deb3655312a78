import QtQuick 2.0

// Settings form of the main scene. This version offers only Close; the
// alphabet, sort order, import and export rows come with the full form.
OverlayForm {
    id: settingsForm

    function show() {
        settingsForm.open()
    }

    z: 998

    Rectangle {
        id: panel

        anchors {
            fill: parent
            leftMargin: settingsForm.width * 0.25
            rightMargin: settingsForm.width * 0.25
            topMargin: settingsForm.height * 0.25
            bottomMargin: settingsForm.height * 0.25
        }
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        Button {
            objectName: "settingsCloseButton"
            anchors {
                bottom: parent.bottom
                bottomMargin: 10
                horizontalCenter: parent.horizontalCenter
            }
            width: Math.min(panel.width * 0.5, 200)
            height: root.itemHeight * 0.8
            buttonText: qsTr("Close")
            onClicked: settingsForm.close()
        }
    }
}
