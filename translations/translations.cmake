# The catalogues of the window's texts, compiled with lrelease and built into
# the program under ":/translations" (the scene object library carries them,
# so the program, the scene tests and the screenshots all speak them).
# `cmake --build <dir> --target translations` (`make translations`) refreshes
# the .ts files from the sources and the scenes.

set(KIV_LANGUAGES ru de)
set(KIV_TS_FILES)
foreach(_lang IN LISTS KIV_LANGUAGES)
    list(APPEND KIV_TS_FILES ${CMAKE_SOURCE_DIR}/translations/kiv-contacts_${_lang}.ts)
endforeach()
# English is the language of the sources; its catalogue holds only the
# singular and plural forms of the texts that count something.
set(KIV_PLURALS_TS ${CMAKE_SOURCE_DIR}/translations/kiv-contacts_en.ts)

set_source_files_properties(${KIV_TS_FILES} ${KIV_PLURALS_TS} PROPERTIES
    OUTPUT_LOCATION ${CMAKE_BINARY_DIR}/translations)
qt5_add_translation(KIV_QM_FILES ${KIV_TS_FILES} ${KIV_PLURALS_TS} OPTIONS -silent)

set(_kiv_qm_qrc "<RCC>\n    <qresource prefix=\"/translations\">\n")
foreach(_qm IN LISTS KIV_QM_FILES)
    get_filename_component(_name ${_qm} NAME)
    string(APPEND _kiv_qm_qrc "        <file alias=\"${_name}\">${_qm}</file>\n")
endforeach()
string(APPEND _kiv_qm_qrc "    </qresource>\n</RCC>\n")
file(WRITE ${CMAKE_BINARY_DIR}/kivtranslations.qrc.in "${_kiv_qm_qrc}")
configure_file(${CMAKE_BINARY_DIR}/kivtranslations.qrc.in ${CMAKE_BINARY_DIR}/kivtranslations.qrc
    COPYONLY)
qt5_add_resources(KIV_QM_RESOURCES ${CMAKE_BINARY_DIR}/kivtranslations.qrc)
target_sources(kivqml PRIVATE ${KIV_QM_RESOURCES})

# lupdate over every source and scene; entries no longer in the sources are
# dropped, and no line numbers are kept, so a refresh changes only what changed.
get_target_property(KIV_LUPDATE Qt5::lupdate IMPORTED_LOCATION)
add_custom_target(translations
    COMMAND ${KIV_LUPDATE} -silent -locations none -no-obsolete -extensions cpp,h,qml
        ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/qml -ts ${KIV_TS_FILES}
    COMMAND ${KIV_LUPDATE} -silent -locations none -no-obsolete -pluralonly -source-language en
        -target-language en -extensions cpp,h,qml
        ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/qml -ts ${KIV_PLURALS_TS}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Refreshing the translation catalogues"
    VERBATIM)
