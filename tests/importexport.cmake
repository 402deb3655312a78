# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
kiv_add_test(parsers)
kiv_add_test(importexport)
kiv_add_test(googlecsv)

# The import/export test kills this helper in the middle of an export.
add_executable(exportcrashchild exportcrashchild.cpp)
target_link_libraries(exportcrashchild PRIVATE kivcontacts)
target_compile_options(exportcrashchild PRIVATE -Wall -Wextra)
add_dependencies(tst_importexport exportcrashchild)
target_compile_definitions(tst_importexport PRIVATE
    EXPORT_CRASH_CHILD="$<TARGET_FILE:exportcrashchild>")

# Photo bombs, endless databases and oversized files; the photo rows run
# this test program again as a child to measure its memory.
kiv_add_test(hostilefiles)
find_package(ZLIB REQUIRED)
target_link_libraries(tst_hostilefiles PRIVATE ZLIB::ZLIB)
set_tests_properties(tst_hostilefiles PROPERTIES TIMEOUT 600)
kiv_add_test(importrules)
# Exports read back whole, and files of other programs by content.
kiv_add_test(peerfiles)
kiv_add_test(encodings)
# Photos, custom labels, birthdays without a year through every export and
# back; importing the same file twice.
kiv_add_test(roundtrip)
