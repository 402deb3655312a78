import QtQuick 2.0

// One block of the details view: a title and one row per value, each value
// with its group label. Phone numbers, e-mail addresses, links and groups
// react to a click; other blocks only show their values.
Item {
    id: groupList

    property alias title: groupLabel.text
    property var detailsData: []
    property var detailsName: []
    property real itemHeight: root.itemHeight
    property int margin: 10
    // 1 phone, 2 e-mail, 3 link, 4 contact group; anything below 0 is not
    // clickable.
    property int type: -1
    property var phoneClickModel: [qsTr("Call"), qsTr("SMS")]
    property string phoneClicked: ""

    readonly property int count: groupList.detailsData ? groupList.detailsData.length : 0

    // What a click on an e-mail address or a link hands to the desktop. The
    // texts may come from any card or file: the address goes as one
    // percent-encoded recipient, so that "?attach=..." cannot ask the mail
    // program for a file, and only web addresses reach the browser (one
    // without a scheme as http), never file: or another program's scheme.
    function mailUrl(address) {
        return "mailto:" + encodeURIComponent(address.trim()).replace(/%40/g, "@")
    }

    function webUrl(link) {
        var text = link.trim()
        if (/^https?:\/\//i.test(text)) {
            return text
        }
        // "name:" not followed by a port number starts another scheme.
        return /^[a-z][a-z0-9+.-]*:(?![0-9])/i.test(text) ? "" : "http://" + text
    }

    function onItemClick(str) {
        if (!str) {
            return
        }
        if (groupList.type === 1) {
            groupList.phoneClicked = str
            listViewForm.show(groupList.phoneClickModel, groupList.onPhoneItemClick)
        } else if (groupList.type === 2) {
            if (debug) {
                console.log("Sending email to " + str)
            }
            Qt.openUrlExternally(groupList.mailUrl(str))
        } else if (groupList.type === 3) {
            if (debug) {
                console.log("Opening " + str)
            }
            var url = groupList.webUrl(str)
            if (url === "") {
                messageForm.show(qsTr("Only web addresses (http, https) are opened."), false)
            } else {
                Qt.openUrlExternally(url)
            }
        } else if (groupList.type === 4) {
            root.chooseFilter(false, str)
        }
    }

    // "Call" goes to the desktop's dialling service when one is published,
    // else to whatever handles tel: addresses; any other choice sends a
    // text message through the message program. When nothing on the system
    // can do it, the window says so.
    function onPhoneItemClick(name) {
        var number = groupList.phoneClicked
        if (name === groupList.phoneClickModel[0]) {
            if (debug) {
                console.log("Phoning on " + number)
            }
            if (typeof callDbusNotifier !== "undefined" && callDbusNotifier) {
                callDbusNotifier.emitDial(number)
            } else if (!Qt.openUrlExternally("tel:" + number.replace(/\s+/g, ""))) {
                messageForm.show(qsTr("No program on this system can make calls."), false)
            }
        } else {
            if (debug) {
                console.log("SMS on " + number)
            }
            if (!viewer.startDetachedProcess("kiv-sms", ["--send-sms", number])) {
                messageForm.show(qsTr("No program on this system can send text messages."),
                                 false)
            }
        }
    }

    function textAt(list, index) {
        if (!list || index >= list.length || list[index] === undefined || list[index] === null) {
            return ""
        }
        return String(list[index])
    }

    visible: groupList.count > 0
    enabled: groupList.visible
    height: groupList.visible ? column.height : 0

    Column {
        id: column

        width: groupList.width

        GroupLabel {
            id: groupLabel

            width: column.width
            height: groupList.itemHeight
            leftMargin: groupList.margin
        }

        Repeater {
            id: repeater

            model: groupList.count

            delegate: Rectangle {
                id: row

                objectName: "detailsRow" + index
                property alias name: nameText.text
                property alias value: valueText.text
                property alias valueAlignment: valueText.horizontalAlignment

                width: column.width
                height: valueText.height * 1.1
                color: rowMouse.pressed ? styles.highlightColor : "white"
                Accessible.role: groupList.type >= 0 ? Accessible.Button : Accessible.StaticText
                Accessible.name: (nameText.text !== "" ? nameText.text + " " : "") + valueText.text
                Accessible.onPressAction: {
                    if (groupList.type >= 0) {
                        groupList.onItemClick(valueText.text)
                    }
                }

                // Natural width of the group name at its full size.
                Text {
                    id: nameMeasure

                    visible: false
                    text: nameText.text
                    font.pointSize: 15
                }

                Text {
                    id: nameText

                    x: groupList.margin
                    anchors.bottom: valueText.bottom
                    width: Math.min(nameMeasure.implicitWidth, row.width / 2)
                    height: row.height * 0.9
                    text: groupList.textAt(groupList.detailsName, index)
                    color: styles.lineedit.placeholderColor
                    font.pointSize: 15
                    fontSizeMode: Text.Fit
                    minimumPointSize: 6
                    verticalAlignment: Text.AlignBottom
                    elide: Text.ElideMiddle
                }

                Text {
                    id: valueText

                    objectName: "value"
                    anchors.left: nameText.right
                    width: Math.max(0, row.width - nameText.x - nameText.width - groupList.margin)
                    height: Math.max(valueText.contentHeight, groupList.itemHeight * 0.9)
                    text: groupList.textAt(groupList.detailsData, index)
                    color: styles.foreground.textColor
                    font.pointSize: 15
                    wrapMode: Text.Wrap
                    verticalAlignment: Text.AlignBottom
                    horizontalAlignment: nameText.text !== "" ? Text.AlignRight : Text.AlignLeft
                }

                Rectangle {
                    anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                    height: 1
                    color: "#bbbbbb"
                }

                MouseArea {
                    id: rowMouse

                    anchors.fill: parent
                    enabled: groupList.type >= 0
                    onClicked: groupList.onItemClick(valueText.text)
                }
            }
        }
    }
}
