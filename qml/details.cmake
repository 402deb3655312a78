# The contact details view and editor with their building blocks.
list(APPEND KIV_QML_FILES
    ContactDetailsView.qml
    ContactDetailsEdit.qml
    DetailsGroupList.qml
    DetailsGroupEdit.qml
    GroupLabel.qml
)
