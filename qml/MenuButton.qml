import QtQuick 2.0
import QtGraphicalEffects 1.0

// Header-bar button: an icon with an optional sub-icon, a label or a colour
// swatch, and optional border lines.
Rectangle {
    id: menuButton

    property alias text: label.text
    property alias fontSize: label.font.pointSize
    property alias fontBold: label.font.bold
    property alias textAlignH: label.horizontalAlignment
    property alias textColor: label.color
    property alias textStyleColor: label.styleColor
    property alias imagePath: icon.source
    property alias imageColor: iconOverlay.color
    property alias imageSub: subIcon.source
    property alias colorRect: swatch.color
    property bool colorRectEnabled: false
    property bool leftBorder: false
    property bool rightBorder: false
    property bool bottomBorder: false
    property real textLeftMargin: 15
    // Icon only, with narrow margins: for a narrow window.
    property bool compact: false

    readonly property real lineWidth: tabletMode ? 2 : 1
    readonly property bool hasImage: String(icon.source) !== ""

    signal clicked
    signal pressAndHold

    color: "transparent"
    height: parent ? parent.height : root.itemHeight
    width: menuButton.compact
           ? iconBox.width + 2 * iconBox.x
           : (menuButton.colorRectEnabled ? swatch.x + swatch.width + menuButton.textLeftMargin
                                          : label.x + label.width)
             + (label.text !== "" ? menuButton.textLeftMargin : 0)
    enabled: menuButton.opacity !== 0
    Accessible.role: Accessible.Button
    Accessible.name: label.text
    Accessible.onPressAction: menuButton.clicked()

    Shadow {
        target: iconBox
        horizontalOffset: mouseArea.pressed ? 0 : -1
        verticalOffset: mouseArea.pressed ? 0 : 1
        radius: 2
        samples: 4
    }

    Item {
        id: iconBox

        x: menuButton.compact ? 6 : menuButton.textLeftMargin
        anchors.verticalCenter: parent.verticalCenter
        width: menuButton.hasImage ? menuButton.height * 0.7 : 1
        height: iconBox.width
        scale: mouseArea.pressed ? 0.9 : 1.0

        Image {
            id: icon

            anchors.fill: parent
            fillMode: Image.PreserveAspectFit
            smooth: true
            visible: lowEffects
        }

        ColorOverlay {
            id: iconOverlay

            objectName: "iconOverlay"
            anchors.fill: icon
            source: icon
            visible: !lowEffects && menuButton.hasImage
            color: mouseArea.pressed ? "#cccccc" : "#ffffff"
        }

        Image {
            id: subIcon

            anchors { right: parent.right; bottom: parent.bottom }
            width: parent.width / 2
            height: parent.height / 2
            fillMode: Image.PreserveAspectFit
            smooth: true
            visible: lowEffects
        }

        ColorOverlay {
            anchors.fill: subIcon
            source: subIcon
            visible: !lowEffects && String(subIcon.source) !== ""
            color: mouseArea.pressed ? "#aacccccc" : "#55ffffff"
        }
    }

    Rectangle {
        id: swatch

        anchors.verticalCenter: parent.verticalCenter
        x: iconBox.x + iconBox.width + menuButton.height * 0.2
        width: menuButton.height * 0.7
        height: swatch.width
        radius: 3
        border { width: 1; color: "black" }
        visible: menuButton.colorRectEnabled
    }

    Text {
        id: label

        anchors.verticalCenter: parent.verticalCenter
        x: iconBox.x + iconBox.width + menuButton.height * 0.2
        visible: !menuButton.colorRectEnabled
        text: qsTr("Button")
        color: styles.buttons.textColor
        font.pointSize: 13
        style: Text.Raised
        styleColor: "white"
    }

    Rectangle {
        anchors { left: parent.left; verticalCenter: parent.verticalCenter }
        visible: menuButton.leftBorder
        width: menuButton.lineWidth
        height: menuButton.height / 2
        color: styles.lineColor
    }

    Rectangle {
        anchors { right: parent.right; verticalCenter: parent.verticalCenter }
        visible: menuButton.rightBorder
        width: menuButton.lineWidth
        height: menuButton.height / 2
        color: styles.lineColor
    }

    Rectangle {
        anchors { bottom: parent.bottom; horizontalCenter: parent.horizontalCenter }
        visible: menuButton.bottomBorder
        width: menuButton.width - 20
        height: menuButton.lineWidth
        color: styles.lineColor
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        hoverEnabled: !tabletMode
        onClicked: menuButton.clicked()
        onPressAndHold: menuButton.pressAndHold()
    }

    // An icon without a label names itself on hover.
    ToolTip {
        area: mouseArea
        text: label.text === "" ? menuButton.Accessible.name : ""
    }
}
