import QtQuick 2.0

// Lists the contacts on offer for an import or an export with a tick each,
// offers the text codec of an import file, runs the import or export and
// shows its progress and result.
OverlayForm {
    id: importExportForm

    property bool isExport: false
    property bool completed: false
    property int count: 0
    property int current: 0

    readonly property bool choosing: importExportForm.count === 0
    // The contacts on offer that the form's search finds (all without a
    // search, read row by row as the list shows them).
    readonly property var shownContacts: formSearch.text === ""
                                         ? importExport.offered
                                         : importExport.offeredMatching(formSearch.text)

    signal masterClicked(bool on)
    // The rows read their ticks from the contacts again.
    signal ticksReset

    function show(_export) {
        if (importExportForm.opacity === 1.0) {
            // The file read again in another codec.
            importExportForm.tickNew()
            importExportForm.showCodec()
            return
        }
        importExportForm.tickNew()
        importExportForm.isExport = _export ? true : false
        importExportForm.completed = false
        importExportForm.count = 0
        importExportForm.current = 0
        formSearch.text = ""
        listView.positionViewAtBeginning()
        importExportForm.showCodec()
        importExportForm.open()
    }

    // Ticks every contact on offer but those already in the address book.
    // The master box is ticked when every row is.
    function tickNew() {
        importExport.tickNewContacts()
        master.on = importExport.allTicked()
        importExportForm.ticksReset()
    }

    // Gives every contact the search shows the master's tick; the visible rows follow.
    function tickAll(on) {
        if (formSearch.text === "") {
            importExport.tickAll(on)
        } else {
            var contacts = importExportForm.shownContacts
            for (var i = 0; i < contacts.length; ++i) {
                if (contacts[i]) {
                    contacts[i].importMe = on
                }
            }
        }
        importExportForm.masterClicked(on)
    }

    function statusText() {
        if (importExportForm.completed && !importExportForm.isExport
                && importExportForm.count === 0) {
            return qsTr("Nothing new: these contacts are already in the address book.")
        }
        if (importExportForm.completed) {
            return qsTr("Contacts successfully ")
                    + (importExportForm.isExport ? qsTr("exported.") : qsTr("imported."))
        }
        if (importExportForm.count > 0) {
            return (importExportForm.isExport ? qsTr("Exporting") : qsTr("Importing"))
                    + qsTr(" contacts: ")
                    + importExportForm.current.toLocaleString(Qt.locale(), "f", 0) + "/"
                    + importExportForm.count.toLocaleString(Qt.locale(), "f", 0)
        }
        return qsTr("Choose contacts to ")
                + (importExportForm.isExport ? qsTr("export:") : qsTr("import:"))
    }

    function accept() {
        if (importExportForm.completed) {
            importExportForm.close()
        } else if (importExportForm.isExport) {
            importExport.exportContacts()
        } else if (!importExport.importParsedContacts()) {
            importExportForm.close()
        }
    }

    // The file is read again in the background; show() offers it again.
    function changeCodec(index) {
        importExport.readContactsFromFile(importExport.codecNames[index])
    }

    // Selects the codec the file was read in: the one detected for it, or
    // the one the file's own marks or UTF-8 bytes imposed over the choice.
    function showCodec() {
        var index = importExport.codecNames.indexOf(importExport.codec)
        codec.currentIndex = index >= 0 ? index : 0
    }

    function nameOf(contact) {
        if (!contact) {
            return ""
        }
        return (contact.surname + " " + contact.name + " " + contact.middlename).trim()
    }

    z: 999
    Accessible.name: status.text

    // A failed run must not leave the form with every control disabled.

    Connections {
        target: importExport

        function onError() {
            importExportForm.count = 0
            importExportForm.current = 0
            importExportForm.completed = false
        }

        function onCodecChanged() {
            importExportForm.showCodec()
        }
    }

    Rectangle {
        id: panel

        anchors.centerIn: parent
        width: importExportForm.width * 0.75
        height: importExportForm.height * 0.8
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        CheckBox {
            id: master

            objectName: "masterCheckBox"
            anchors { left: parent.left; top: parent.top; margins: 10 }
            enabled: importExportForm.choosing
            Accessible.name: qsTr("All contacts")
            onClicked: importExportForm.tickAll(master.on)
        }

        Text {
            id: status

            objectName: "statusText"
            anchors {
                left: master.right
                right: parent.right
                top: master.top
                bottom: master.bottom
                leftMargin: 10
                rightMargin: 10
            }
            text: importExportForm.statusText()
            color: styles.foreground.textColor
            font.pointSize: 16
            fontSizeMode: Text.Fit
            minimumPointSize: 6
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }

        LineEdit {
            id: formSearch

            objectName: "formSearchField"
            anchors {
                left: parent.left
                right: parent.right
                top: master.bottom
                leftMargin: 10
                rightMargin: 10
            }
            height: root.itemHeight
            enabled: importExportForm.choosing
            placeholderText: qsTr("Search")
        }

        Rectangle {
            id: topLine

            anchors {
                left: parent.left
                right: parent.right
                top: formSearch.bottom
                topMargin: 5
                leftMargin: 10
                rightMargin: 10
            }
            height: 1
            color: "#bbbbbb"
        }

        ListView {
            id: listView

            objectName: "contactsList"
            anchors {
                left: parent.left
                right: parent.right
                top: topLine.bottom
                bottom: bottomLine.top
                leftMargin: 10
                rightMargin: 10
            }
            enabled: importExportForm.choosing
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: importExportForm.shownContacts

            delegate: Rectangle {
                id: row

                property alias checked: rowCheck.on
                property alias contactName: rowName.text
                property bool unreadable: false

                objectName: "contactRow" + index

                width: listView.width
                height: root.itemHeight
                color: rowMouse.pressed ? "#bbbbbb" : "white"
                Accessible.role: Accessible.CheckBox
                Accessible.name: rowName.text
                Accessible.description: rowMark.visible ? rowMark.text : ""

                // Marks under the name: a contact already in the address book,
                // and bytes the codec could not read (U+FFFD in the contact).
                function marks(contact) {
                    var found = []
                    if (importExport.isAlreadyThere(contact)) {
                        found.push(qsTr("Already in contacts"))
                    }
                    if (row.unreadable) {
                        found.push(qsTr("Some letters could not be read: try another encoding"))
                    }
                    return found.join(" · ")
                }
                Accessible.checkable: true
                Accessible.checked: rowCheck.on
                Accessible.onPressAction: rowCheck.on = !rowCheck.on

                Rectangle {
                    anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                    height: 1
                    color: "#bbbbbb"
                }

                MouseArea {
                    id: rowMouse

                    anchors.fill: parent
                    onClicked: rowCheck.on = !rowCheck.on
                }

                CheckBox {
                    id: rowCheck

                    height: row.height
                    onOnChanged: {
                        if (modelData) {
                            modelData.importMe = rowCheck.on
                        }
                    }
                }

                Text {
                    id: rowName

                    anchors {
                        left: rowCheck.right
                        leftMargin: 10
                        right: parent.right
                        top: parent.top
                        bottom: rowMark.visible ? rowMark.top : parent.bottom
                    }
                    color: !row.enabled ? "grey" : rowMouse.pressed ? "white" : "#555555"
                    font.pointSize: 14
                    fontSizeMode: Text.Fit
                    minimumPointSize: 6
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }

                Text {
                    id: rowMark

                    objectName: "rowMark"
                    anchors {
                        left: rowName.left
                        right: parent.right
                        bottom: parent.bottom
                        bottomMargin: 2
                    }
                    height: row.height * 0.4
                    visible: rowMark.text !== ""
                    color: !row.enabled ? "grey" : rowMouse.pressed ? "white"
                                                                    : row.unreadable ? "#c62828" : "#1565c0"
                    font.pointSize: 11
                    fontSizeMode: Text.Fit
                    minimumPointSize: 6
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }

                // Contact fields have no change signals: read them once.
                Component.onCompleted: {
                    rowCheck.on = modelData ? modelData.importMe : false
                    rowName.text = importExportForm.nameOf(modelData)
                    row.unreadable = importExport.hasUnreadableLetters(modelData)
                    rowMark.text = row.marks(modelData)
                }

                Connections {
                    target: importExportForm

                    function onMasterClicked(on) {
                        rowCheck.on = on
                    }

                    function onTicksReset() {
                        rowCheck.on = modelData ? modelData.importMe : false
                    }
                }
            }
        }

        Rectangle {
            id: bottomLine

            anchors {
                left: parent.left
                right: parent.right
                bottom: importExportForm.isExport ? okButton.top : codecLabel.top
                bottomMargin: 5
                leftMargin: 10
                rightMargin: 10
            }
            height: 1
            color: "#bbbbbb"
        }

        Text {
            id: codecMeasure

            visible: false
            text: codecLabel.text
            font.pointSize: 16
        }

        Text {
            id: codecLabel

            objectName: "codecLabel"
            anchors {
                left: parent.left
                leftMargin: 20
                bottom: okButton.top
                bottomMargin: 5
            }
            width: Math.min(codecMeasure.implicitWidth, panel.width * 0.4)
            height: root.itemHeight
            visible: !importExportForm.isExport
            enabled: importExportForm.choosing
            text: qsTr("Text codec:")
            color: codecLabel.enabled ? styles.foreground.textColor : "grey"
            font.pointSize: 16
            fontSizeMode: Text.Fit
            minimumPointSize: 6
            verticalAlignment: Text.AlignVCenter
        }

        ComboBoxStandart {
            id: codec

            objectName: "codecComboBox"
            anchors {
                left: codecLabel.right
                leftMargin: 5
                right: parent.right
                rightMargin: 10
                verticalCenter: codecLabel.verticalCenter
            }
            height: root.itemHeight
            visible: !importExportForm.isExport
            enabled: importExportForm.choosing
            model: importExport.codecLabels
            currentIndex: 0
            colorLight: codec.enabled ? "#f9f9f9" : "lightgrey"
            colorDark: codec.enabled ? "#eeeeee" : "lightgrey"
            opensUpwards: true
            onClicked: importExportForm.changeCodec(index)
        }

        Button {
            id: okButton

            objectName: "importExportOkButton"
            anchors {
                bottom: parent.bottom
                bottomMargin: 10
                right: parent.horizontalCenter
                rightMargin: 5
            }
            width: Math.min(panel.width * 0.4, 200)
            height: root.itemHeight * 0.8
            enabled: importExportForm.completed || importExportForm.choosing
            buttonText: qsTr("OK")
            onClicked: importExportForm.accept()
        }

        Button {
            objectName: "importExportCancelButton"
            anchors {
                bottom: parent.bottom
                bottomMargin: 10
                left: parent.horizontalCenter
                leftMargin: 5
            }
            width: Math.min(panel.width * 0.4, 200)
            height: root.itemHeight * 0.8
            enabled: importExportForm.choosing
            buttonText: qsTr("Cancel")
            onClicked: importExportForm.close()
        }
    }
}
