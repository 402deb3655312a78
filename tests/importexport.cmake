# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
kiv_add_test(contactsfileparser)
kiv_add_test(importexport)
kiv_add_test(googlecsv)
kiv_add_test(export)
