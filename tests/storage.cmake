# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
kiv_add_test(store)
kiv_add_test(photoencoding)
kiv_add_test(defaultdatabase)

# The SQLite store's test kills this helper in the middle of an import.
add_executable(sqlitecrashchild sqlitecrashchild.cpp)
target_link_libraries(sqlitecrashchild PRIVATE kivcontacts)
kiv_add_test(sqlitedatabase)
add_dependencies(tst_sqlitedatabase sqlitecrashchild)
target_compile_definitions(tst_sqlitedatabase PRIVATE
    CRASH_CHILD="$<TARGET_FILE:sqlitecrashchild>")
kiv_add_test(sharedtexts)
