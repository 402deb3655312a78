import QtQuick 2.9

// Single-line text field with a placeholder, an optional clear button and an
// underline bracket.
Rectangle {
    id: lineEdit

    property alias text: input.text
    property alias inputMethodHints: input.inputMethodHints
    property alias echoMode: input.echoMode
    property alias regExp: regExpValidator.regExp
    // A validator from the native side replaces the regular expression.
    property QtObject validator: regExpValidator
    property string placeholderText: ""
    // Shown small above the text once the field holds text, so that a filled
    // field still says what it is.
    property string caption: ""
    // A short message under a wrong value; the underline turns red with it.
    property string errorText: ""
    readonly property alias inputFocus: input.activeFocus
    property color textColor: styles.lineedit.textColor
    property color placeholderTextColor: styles.lineedit.placeholderColor
    property int fontSize: 14
    property bool showClearButton: true

    readonly property real lineWidth: tabletMode ? 2 : 1

    signal cleared()
    // Enter or Return in the field.
    signal accepted()

    // The clear button's action: the text goes, then cleared() is emitted.
    function clear() {
        input.text = ""
        lineEdit.cleared()
    }

    // Gives the keyboard to the text itself (this rectangle is no focus
    // scope, so focus on it would stop at the rectangle).
    function takeFocus() {
        input.forceActiveFocus()
    }

    width: 500
    height: root.itemHeight
    color: "transparent"
    clip: true

    TextInput {
        id: input

        objectName: "input"
        anchors {
            left: parent.left
            leftMargin: 15
            bottom: parent.bottom
        }
        width: lineEdit.width - 15 - clearButton.width
        height: lineEdit.height * 0.9
        verticalAlignment: TextInput.AlignBottom
        font.pointSize: lineEdit.fontSize
        color: lineEdit.textColor
        focus: true
        activeFocusOnTab: true
        selectByMouse: !tabletMode
        clip: true
        validator: lineEdit.validator
        onAccepted: lineEdit.accepted()
        Accessible.role: Accessible.EditableText
        Accessible.name: qsTr("Text")
        Accessible.description: lineEdit.placeholderText
    }

    RegExpValidator {
        id: regExpValidator

        regExp: /.*/
    }

    Text {
        id: captionText

        objectName: "caption"
        anchors { left: input.left; top: parent.top; topMargin: 1 }
        visible: lineEdit.caption !== "" && input.text !== "" && lineEdit.errorText === ""
        text: lineEdit.caption
        color: lineEdit.placeholderTextColor
        font.pixelSize: Math.max(8, lineEdit.height * 0.22)
    }

    Text {
        id: errorMessage

        objectName: "errorText"
        anchors { left: input.left; right: input.right; top: parent.top; topMargin: 1 }
        visible: lineEdit.errorText !== ""
        text: lineEdit.errorText
        color: "red"
        font.pixelSize: Math.max(8, lineEdit.height * 0.22)
        elide: Text.ElideRight
    }

    Text {
        id: placeholder

        anchors.fill: input
        visible: input.displayText === ""
        text: lineEdit.placeholderText
        color: lineEdit.placeholderTextColor
        font { pointSize: lineEdit.fontSize; italic: true }
        fontSizeMode: Text.Fit
        minimumPointSize: 6
        verticalAlignment: Text.AlignBottom
        elide: Text.ElideRight
    }

    Item {
        id: clearButton

        objectName: "clearButton"
        anchors {
            right: parent.right
            bottom: parent.bottom
            bottomMargin: lineEdit.showClearButton ? lineEdit.height * 0.1 : 0
        }
        width: lineEdit.showClearButton ? (tabletMode ? 60 : 30) : 15
        height: lineEdit.showClearButton ? clearButton.width : 1
        visible: lineEdit.showClearButton
        opacity: input.text === "" ? 0 : 1
        enabled: lineEdit.showClearButton && input.text !== ""
        Accessible.role: Accessible.Button
        Accessible.name: qsTr("Clear")
        Accessible.onPressAction: lineEdit.clear()

        Behavior on opacity { NumberAnimation {} }

        Text {
            anchors.centerIn: parent
            text: "\u2717"
            color: lineEdit.placeholderTextColor
            font.pixelSize: input.height * 0.9
        }

        MouseArea {
            id: clearMouse

            anchors.fill: parent
            hoverEnabled: !tabletMode
            onClicked: lineEdit.clear()
        }

        ToolTip {
            area: clearMouse
            text: qsTr("Clear")
        }
    }

    Rectangle {
        id: underline

        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        height: lineEdit.errorText === "" && !input.activeFocus ? lineEdit.lineWidth
                                                                : lineEdit.lineWidth * 2
        color: lineEdit.errorText !== "" ? "red"
                                         : input.activeFocus ? styles.highlightColor
                                                             : styles.lineedit.borderColor
    }

    Rectangle {
        anchors { left: parent.left; leftMargin: 1; bottom: parent.bottom }
        width: lineEdit.lineWidth
        height: tabletMode ? 10 : 7
        color: styles.lineedit.borderColor
    }

    Rectangle {
        anchors { right: parent.right; bottom: parent.bottom }
        width: lineEdit.lineWidth
        height: tabletMode ? 10 : 7
        color: styles.lineedit.borderColor
    }
}
