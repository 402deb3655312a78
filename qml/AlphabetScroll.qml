import QtQuick 2.0

// Letter index beside the contact list: every letter of the alphabet, the
// ones that begin a contact's name clickable.
Rectangle {
    id: alphabetScroll

    property var alphabetModel: contactsModel.alphabet
    property var existingLetters: []
    property string currentLetter: ""

    signal clicked(string letter)

    function indexIn(list, letter) {
        if (!list) {
            return -1
        }
        for (var i = 0; i < list.length; ++i) {
            if (list[i] === letter) {
                return i
            }
        }
        return -1
    }

    // Moves the mark to `letter` without scrolling the contact list.
    function setLetter(letter) {
        if (letter === alphabetScroll.currentLetter) {
            return
        }
        var position = alphabetScroll.indexIn(alphabetScroll.alphabetModel, letter)
        letterList.currentIndex = position < 0 ? 0 : position
        alphabetScroll.currentLetter = letter
    }

    function choose(index, letter) {
        letterList.currentIndex = index
        alphabetScroll.currentLetter = letter
        alphabetScroll.clicked(letter)
    }

    color: "saddlebrown"

    ListView {
        id: letterList

        objectName: "letterList"
        anchors.fill: parent
        boundsBehavior: Flickable.StopAtBounds
        interactive: false
        model: alphabetScroll.alphabetModel
        currentIndex: 0
        highlightMoveDuration: 150
        highlight: Rectangle {
            color: "peru"
            opacity: 0.5
        }

        delegate: Item {
            id: cell

            readonly property bool present: alphabetScroll.indexIn(alphabetScroll.existingLetters,
                                                                   modelData) >= 0

            objectName: "letter_" + modelData
            width: letterList.width
            height: letterList.count > 0 ? letterList.height / letterList.count : 0
            enabled: cell.present
            Accessible.role: Accessible.Button
            Accessible.name: modelData
            Accessible.onPressAction: alphabetScroll.choose(index, modelData)

            Text {
                anchors.fill: parent
                text: modelData
                color: cell.present ? "sandybrown" : "dimgray"
                style: cell.present ? Text.Raised : Text.Normal
                styleColor: "#443300"
                font.pixelSize: Math.max(1, alphabetScroll.width)
                fontSizeMode: Text.Fit
                minimumPixelSize: 4
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }

            MouseArea {
                anchors.fill: parent
                onClicked: alphabetScroll.choose(index, modelData)
            }
        }
    }
}
