# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
kiv_add_test(contact)
kiv_add_test(contactsmodel)
kiv_add_test(contactsproxymodel)
kiv_add_test(sortkeymaker)
kiv_add_test(duplicatefinder QML)
kiv_add_test(duplicatemerge)
