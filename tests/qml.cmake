# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).

# Qt Quick tests of the shared controls and the calendar, in desktop and in
# tablet layout.
kiv_add_test(controls GUI QML)
target_compile_definitions(tst_controls PRIVATE
    QUICK_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/qml/controls")
add_test(NAME tst_controls_tablet
    COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:tst_controls>)
set_tests_properties(tst_controls_tablet PROPERTIES
    ENVIRONMENT "KIV_TEST_TABLET_MODE=1;KIV_TEST_LOW_EFFECTS=1")

# Flows of the main scene through the real scene set-up, in desktop and in
# tablet layout.
kiv_add_test(mainscene GUI QML SOURCES scenedriver.cpp)
add_test(NAME tst_mainscene_tablet
    COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:tst_mainscene>)
set_tests_properties(tst_mainscene_tablet PROPERTIES ENVIRONMENT "KIV_TEST_TABLET_MODE=1")
