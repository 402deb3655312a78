# Builds the resource tree ":/qml/..." from the scene files listed by the
# fragments below; the generated .qrc lives in the build tree.
set(KIV_QML_FILES)
include(${CMAKE_SOURCE_DIR}/qml/controls.cmake)
include(${CMAKE_SOURCE_DIR}/qml/scenes.cmake)
include(${CMAKE_SOURCE_DIR}/qml/details.cmake)

set(_kiv_qrc "<RCC>\n    <qresource prefix=\"/\">\n")
foreach(_f IN LISTS KIV_QML_FILES)
    string(APPEND _kiv_qrc "        <file alias=\"qml/${_f}\">${CMAKE_SOURCE_DIR}/qml/${_f}</file>\n")
endforeach()
string(APPEND _kiv_qrc "    </qresource>\n</RCC>\n")
set(_kiv_qrc_file ${CMAKE_BINARY_DIR}/kivqml.qrc)
if(EXISTS ${_kiv_qrc_file})
    file(READ ${_kiv_qrc_file} _kiv_qrc_old)
else()
    set(_kiv_qrc_old "")
endif()
if(NOT _kiv_qrc_old STREQUAL _kiv_qrc)
    file(WRITE ${_kiv_qrc_file} "${_kiv_qrc}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/qml/controls.cmake ${CMAKE_SOURCE_DIR}/qml/scenes.cmake
    ${CMAKE_SOURCE_DIR}/qml/details.cmake)

add_library(kivqml OBJECT ${_kiv_qrc_file})
target_link_libraries(kivqml PRIVATE Qt5::Core)
