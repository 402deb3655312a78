# The main scene and the scenes it opens.
list(APPEND KIV_QML_FILES
    main.qml
    HeaderMain.qml
    MenuFilterButton.qml
    ContactList.qml
    ContactListItem.qml
    AlphabetScroll.qml
    Photo.qml
    ContactDetails.qml
    SettingsForm.qml
    SettingsGroupItem.qml
    CardDavForm.qml
    DuplicatesForm.qml
    ImportExportForm.qml
    UndoBar.qml
)
