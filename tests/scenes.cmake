# Tests of the contact details, the editor and the settings and import/export
# forms, each driving the real main scene under xvfb.
kiv_add_test(detailsscene GUI QML SOURCES scenedriver.cpp)
kiv_add_test(formsscene GUI QML SOURCES scenedriver.cpp)
kiv_add_test(session GUI QML SOURCES scenedriver.cpp)
kiv_add_test(scenetrust GUI QML SOURCES scenedriver.cpp)
# The same scenes in the touch layout of tablet mode.
foreach(_name detailsscene formsscene)
    add_test(NAME tst_${_name}_tablet
        COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:tst_${_name}>)
    set_tests_properties(tst_${_name}_tablet PROPERTIES ENVIRONMENT "KIV_TEST_TABLET_MODE=1")
endforeach()

# Pictures of the details, the editor and the forms for `make screenshots`.
add_executable(kiv-scene-screenshots scenescreenshots.cpp scenedriver.cpp
    $<TARGET_OBJECTS:kivqml>)
target_link_libraries(kiv-scene-screenshots PRIVATE kivcontacts Qt5::Test)
target_compile_options(kiv-scene-screenshots PRIVATE -Wall -Wextra)
target_compile_definitions(kiv-scene-screenshots PRIVATE
    TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")

# The address book file locked, full, read-only or of an older version.
kiv_add_test(storefailures GUI QML SOURCES scenedriver.cpp)

# Undo, the wider search, the keyboard, the first start, the window's place.
kiv_add_test(comforts GUI QML SOURCES scenedriver.cpp)
