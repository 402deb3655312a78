# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
kiv_add_test(kivintegration)
kiv_add_test(startup)
kiv_add_test(localpeer)
kiv_add_test(singleinstance GUI)
# The start-up tests run the real program.
add_dependencies(tst_singleinstance kiv-contacts)
