# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
kiv_add_test(parsers)
kiv_add_test(importexport)
kiv_add_test(hostilefiles)
set_tests_properties(tst_hostilefiles PROPERTIES TIMEOUT 600)
kiv_add_test(largeimport)
