import QtQuick 2.0
import FileDialogBackend 1.0

// Contact photo on a pressable face. When interactive, a click offers to
// choose a picture file: while browsing it is stored at once, while editing
// it is kept for saving with the contact.
Item {
    id: photo

    property alias photoSource: image.source
    property alias backColor: face.color
    property bool interactive: true
    property var options: [qsTr("Choose existing picture...")]
    property string internalId: ""

    function onOptionSelect(option) {
        if (option === photo.options[0]) {
            if (debug) {
                console.log("Choosing existing file...")
            }
            fileDialog.show()
        }
    }

    function onFileChosen(fileName) {
        if (!fileName) {
            return
        }
        if (debug) {
            console.log("File chosen: " + fileName)
        }
        image.source = "file://" + fileName
        if (contactDetails.detailsToView.visible) {
            contactsProxyModel.savePhoto(fileName)
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

    Accessible.role: photo.interactive ? Accessible.Button : Accessible.Graphic
    Accessible.name: qsTr("Photo")
    Accessible.onPressAction: {
        if (photo.interactive) {
            listViewForm.show(photo.options, photo.onOptionSelect)
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
        color: mouseArea.pressed ? "#eeeeee" : "white"
    }

    Image {
        id: image

        objectName: "photoImage"
        anchors.fill: parent
        fillMode: Image.PreserveAspectFit
        cache: false
        smooth: true
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        enabled: photo.interactive
        onClicked: listViewForm.show(photo.options, photo.onOptionSelect)
    }

    FileDialog {
        id: fileDialog

        onFileChosen: photo.onFileChosen(fileName)
    }
}
