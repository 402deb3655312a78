# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
kiv_add_test(vcard)
kiv_add_test(cardpatch)
