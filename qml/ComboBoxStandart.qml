import QtQuick 2.0
import QtGraphicalEffects 1.0

// Plain drop-down: its list opens in the scene-wide comboBoxList right under
// the face.
Item {
    id: comboBox

    property var model: []
    property var disableMap: []
    property int currentIndex: -1
    property string buttonText: ""
    property bool opened: false
    property color colorLight: "white"
    property color colorDark: "black"
    // The list opens above the face (for a face near the bottom of a form,
    // whose buttons the list must not cover).
    property bool opensUpwards: false

    readonly property string currentText: comboBox.currentIndex >= 0
                                          && comboBox.currentIndex < comboBox.count()
                                          ? String(comboBox.model[comboBox.currentIndex]) : ""
    readonly property bool highlighted: mouseArea.pressed || comboBox.opened

    signal clicked(var text, int index)
    signal buttonClicked

    // Number of entries of the model (an array or a string list).
    function count() {
        return comboBox.model ? comboBox.model.length : 0
    }

    // A row is disabled when the first pair [row, function] of disableMap for
    // that row says so.
    function isDisabled(index) {
        if (!comboBox.disableMap) {
            return false
        }
        for (var i = 0; i < comboBox.disableMap.length; ++i) {
            var pair = comboBox.disableMap[i]
            if (pair[0] === index) {
                return pair[1]() ? true : false
            }
        }
        return false
    }

    function open() {
        var point = face.mapToItem(root, 0, 0)
        comboBoxList.show(comboBox, {
            "x": point.x,
            "y": point.y + face.height + 1,
            "width": face.width,
            "height": face.height,
            "faceTop": point.y
        })
    }

    width: 500
    height: 80
    Accessible.role: Accessible.ComboBox
    Accessible.name: comboBox.currentText
    Accessible.onPressAction: comboBox.open()

    Shadow {
        target: face
        horizontalOffset: 0
        verticalOffset: 0
        radius: 2
        samples: 4
    }

    Rectangle {
        id: face

        anchors { fill: parent; margins: 5 }
        radius: 2
        clip: true
        color: comboBox.highlighted ? comboBox.colorDark : comboBox.colorLight

        ConicalGradient {
            anchors.fill: parent
            angle: 45
            gradient: Gradient {
                GradientStop { position: 0.0; color: "transparent" }
                GradientStop { position: 0.25; color: comboBox.colorDark }
                GradientStop { position: 0.5; color: "transparent" }
                GradientStop { position: 0.75; color: comboBox.colorDark }
                GradientStop { position: 1.0; color: "transparent" }
            }
        }

        Text {
            id: label

            anchors {
                left: parent.left
                leftMargin: 10
                right: separator.left
                rightMargin: 5
                top: parent.top
                bottom: parent.bottom
            }
            text: comboBox.currentText
            color: comboBox.highlighted ? "#222222" : "#444444"
            font.pointSize: 14
            fontSizeMode: Text.Fit
            minimumPointSize: 6
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }

        Rectangle {
            id: separator

            anchors { right: arrow.left; verticalCenter: parent.verticalCenter }
            width: 1
            height: face.height * 0.7
            color: "#999999"
        }

        Item {
            id: arrow

            anchors { right: parent.right; top: parent.top; bottom: parent.bottom }
            width: arrow.height

            Text {
                anchors.centerIn: parent
                text: "\u25BC"
                color: comboBox.highlighted ? "#222222" : "#444444"
                font.pixelSize: Math.max(1, face.height * 0.4)
                scale: comboBox.highlighted ? 0.95 : 1.0
            }
        }
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        onClicked: comboBox.open()
    }
}
