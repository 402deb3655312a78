# The desktop entry, the AppStream data, the manual page, what an installation
# puts where, and the translation catalogues.
set(_kiv_desktop ${CMAKE_SOURCE_DIR}/desktop/${KIV_APPLICATION_ID})
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
find_program(APPSTREAMCLI appstreamcli REQUIRED)
add_test(NAME desktop_entry COMMAND ${DESKTOP_FILE_VALIDATE} ${_kiv_desktop}.desktop)
# desktop-file-validate prints what it finds and still exits with 0 on warnings.
set_tests_properties(desktop_entry PROPERTIES FAIL_REGULAR_EXPRESSION "[a-z]")
add_test(NAME appstream_metainfo COMMAND ${APPSTREAMCLI} validate --no-net --explain
    ${_kiv_desktop}.metainfo.xml)
add_test(NAME install_listing COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/check_install.py
    ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/data/install/installed-files.txt)
add_test(NAME manual_page COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/check_manual.py
    $<TARGET_FILE:kiv-contacts> ${CMAKE_SOURCE_DIR}/desktop/kiv-contacts.1)
set_tests_properties(manual_page PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANGUAGE=;LANG=C")
add_test(NAME translations COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/check_translations.py
    ${KIV_LUPDATE} ${CMAKE_SOURCE_DIR})

# The scenes in English, Russian and German: one program, run under each language.
kiv_add_test(languages GUI QML SOURCES scenedriver.cpp)
set_tests_properties(tst_languages PROPERTIES ENVIRONMENT "LANGUAGE=en")
foreach(_lang ru de)
    add_test(NAME tst_languages_${_lang}
        COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:tst_languages>)
    set_tests_properties(tst_languages_${_lang} PROPERTIES ENVIRONMENT "LANGUAGE=${_lang}")
endforeach()
