# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
