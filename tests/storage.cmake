# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
kiv_add_test(store)
kiv_add_test(photoencoding)
kiv_add_test(sharedtexts)
