import QtQuick 2.0
import FileDialogBackend 1.0

// Contact photo on a pressable face. When interactive, a click offers to
// choose a picture file: while browsing it is stored at once, while editing
// it is kept for saving with the contact. There is no camera to take a
// picture with, so choosing a file is the only choice offered.
Item {
    id: photo

    property alias photoSource: image.source
    property color backColor: "white"
    property bool interactive: true
    property var options: [qsTr("Choose existing picture...")]
    property string internalId: ""
    // Created on first use: most photos (the list rows) never open a dialog.
    property QtObject fileDialog: null

    function onOptionSelect(option) {
        if (option !== photo.options[0]) {
            return
        }
        if (debug) {
            console.log("Choosing existing file...")
        }
        if (!photo.fileDialog) {
            photo.fileDialog = fileDialogComponent.createObject(photo)
        }
        photo.fileDialog.show()
    }

    function onFileChosen(fileName) {
        if (!fileName) {
            return
        }
        if (debug) {
            console.log("File chosen: " + fileName)
        }
        // Each part of the path is escaped: a "#" or "%" in a file name
        // would otherwise be read as part of the address.
        image.source = "file://" + fileName.split("/").map(encodeURIComponent).join("/")
        if (contactDetails.detailsToView.visible) {
            contactsProxyModel.savePhoto(fileName)
            carddav.localChanged()
            root.updatePhoto(photo.internalId)
            bigPhoto.updatePhoto()
        } else {
            root.photoToSave = fileName
        }
    }

    // Reloads the picture through the photo provider.
    function updatePhoto() {
        var source = image.source
        image.source = ""
        image.source = source
    }

    function open() {
        listViewForm.show(photo.options, photo.onOptionSelect)
    }

    Accessible.role: photo.interactive ? Accessible.Button : Accessible.Graphic
    Accessible.name: qsTr("Photo")
    Accessible.onPressAction: {
        if (photo.interactive) {
            photo.open()
        }
    }

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
        color: mouseArea.pressed ? "#eeeeee" : photo.backColor
    }

    Image {
        id: image

        objectName: "photoImage"
        anchors.fill: parent
        fillMode: Image.PreserveAspectFit
        smooth: true
        cache: false
        sourceSize { width: Math.max(1, photo.width); height: Math.max(1, photo.height) }
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        enabled: photo.interactive
        onClicked: photo.open()
    }

    Component {
        id: fileDialogComponent

        FileDialog {
            onFileChosen: photo.onFileChosen(fileName)
            onPictureRefused: messageForm.show(
                                  qsTr("The picture “%1” cannot be used: it is damaged, too large "
                                       + "or of a kind this program does not read.")
                                  .arg(fileName), false)
        }
    }
}
