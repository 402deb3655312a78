import QtQuick 2.9

// The CardDAV account: server address, user name and password, the address
// books found on the server to choose from, "Sync now", and the progress and
// last result of the sync. With a saved account whose password the secret
// store does not give, only the password is asked for.
OverlayForm {
    id: cardDavForm

    function show() {
        serverField.text = carddav.serverUrl
        userField.text = carddav.userName
        passwordField.text = ""
        cardDavForm.open()
    }

    // A password that would go out without TLS is sent only once the person agreed.
    function findAddressBooks() {
        if (!carddav.isUnencrypted(serverField.text)) {
            cardDavForm.discover()
            return
        }
        messageForm.show(plainWarning.text + "\n" + qsTr("Send it all the same?"), true,
                         cardDavForm.discover)
    }

    function discover() {
        carddav.discover(serverField.text, userField.text, passwordField.text)
    }

    // A password typed in the form is the one the run uses.
    function syncNow() {
        carddav.syncWithPassword(passwordField.text)
        passwordField.text = ""
    }

    function usePassword() {
        carddav.setPassword(passwordField.text)
        passwordField.text = ""
    }

    z: 998
    Accessible.name: qsTr("CardDAV account")

    Rectangle {
        id: panel

        anchors {
            fill: parent
            leftMargin: cardDavForm.width * 0.2
            rightMargin: cardDavForm.width * 0.2
            topMargin: cardDavForm.height * 0.1
            bottomMargin: cardDavForm.height * 0.1
        }
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        Flickable {
            id: flickable

            anchors {
                left: parent.left
                right: parent.right
                top: parent.top
                bottom: closeButton.top
                margins: 10
            }
            clip: true
            flickableDirection: Flickable.VerticalFlick
            boundsBehavior: Flickable.StopAtBounds
            contentWidth: flickable.width
            contentHeight: column.height

            Column {
                id: column

                width: flickable.width
                spacing: 5

                LineEdit {
                    id: serverField

                    objectName: "cardDavServer"
                    width: column.width
                    visible: !carddav.needsPassword
                    placeholderText: qsTr("Server address")
                    caption: qsTr("Server address")
                    inputMethodHints: Qt.ImhUrlCharactersOnly
                }

                Text {
                    id: plainWarning

                    objectName: "cardDavPlainWarning"
                    width: column.width
                    visible: serverField.visible && carddav.isUnencrypted(serverField.text)
                    text: qsTr("The connection to this server is not encrypted: your password "
                               + "and contacts can be read on the way")
                    color: "#aa3333"
                    font.pointSize: 11
                    wrapMode: Text.Wrap
                }

                LineEdit {
                    id: userField

                    objectName: "cardDavUser"
                    width: column.width
                    visible: !carddav.needsPassword
                    placeholderText: qsTr("User name")
                    caption: qsTr("User name")
                }

                LineEdit {
                    id: passwordField

                    objectName: "cardDavPassword"
                    width: column.width
                    placeholderText: qsTr("Password")
                    caption: qsTr("Password")
                    echoMode: TextInput.Password
                }

                Text {
                    objectName: "cardDavPasswordNote"
                    width: column.width
                    visible: text !== ""
                    text: carddav.passwordNote
                    color: "#aa3333"
                    font.pointSize: 11
                    wrapMode: Text.Wrap
                }

                Button {
                    objectName: "cardDavFindButton"
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: Math.min(column.width, 300)
                    height: root.itemHeight * 0.8
                    buttonText: carddav.needsPassword ? qsTr("Use this password")
                                                      : qsTr("Find address books")
                    onClicked: carddav.needsPassword ? cardDavForm.usePassword()
                                                     : cardDavForm.findAddressBooks()
                }

                Text {
                    objectName: "cardDavFoundOn"
                    width: column.width
                    visible: carddav.foundOn !== ""
                    text: qsTr("Found on %1").arg(carddav.foundOn)
                    color: "#555555"
                    font.pointSize: 11
                    elide: Text.ElideMiddle
                }

                Repeater {
                    model: carddav.addressBooks

                    SettingsItem {
                        objectName: "cardDavBook" + index
                        width: column.width
                        itemText: modelData
                        onClicked: carddav.chooseAddressBook(index)
                    }
                }

                Text {
                    objectName: "cardDavAccount"
                    width: column.width
                    text: carddav.configured
                          ? qsTr("Address book: ") + carddav.addressBookName + " ("
                            + carddav.userName + ")"
                          : qsTr("No account")
                    color: "#555555"
                    font.pointSize: 12
                    elide: Text.ElideRight
                }

                Rectangle {
                    width: column.width
                    height: 6
                    color: "#eeeeee"
                    visible: carddav.busy

                    Rectangle {
                        width: parent.width * carddav.progress
                        height: parent.height
                        color: "#4a90d9"
                    }
                }

                Text {
                    objectName: "cardDavStatus"
                    width: column.width
                    text: carddav.status
                    color: "#555555"
                    wrapMode: Text.Wrap
                }
            }
        }

        Button {
            id: syncButton

            objectName: "cardDavSyncButton"
            anchors {
                bottom: parent.bottom
                bottomMargin: 10
                right: parent.horizontalCenter
                rightMargin: 5
            }
            width: Math.min(panel.width * 0.4, 200)
            height: root.itemHeight * 0.8
            enabled: carddav.configured && !carddav.busy
            buttonText: qsTr("Sync now")
            onClicked: cardDavForm.syncNow()
        }

        Button {
            id: closeButton

            objectName: "cardDavCloseButton"
            anchors {
                bottom: parent.bottom
                bottomMargin: 10
                left: parent.horizontalCenter
                leftMargin: 5
            }
            width: Math.min(panel.width * 0.4, 200)
            height: root.itemHeight * 0.8
            buttonText: qsTr("Close")
            onClicked: cardDavForm.close()
        }
    }
}
