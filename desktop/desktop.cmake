# What a desktop needs besides the executable: the desktop entry, the AppStream
# data, the manual page and the icon in the hicolor theme. The application id
# names the entry, the AppStream data and the icon; the program reads it as
# KIV_APPLICATION_ID.
set(KIV_APPLICATION_ID org.kivcontacts.KivContacts)
target_compile_definitions(kivcontacts PRIVATE KIV_APPLICATION_ID="${KIV_APPLICATION_ID}")

set(KIV_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/desktop)
set(KIV_ICON_SVG ${KIV_DESKTOP_DIR}/${KIV_APPLICATION_ID}.svg)
set(KIV_ICON_SIZES 16 22 24 32 48 64 128 256 512)
# The sizes compiled into the program for the window when the theme has no icon.
set(KIV_EMBEDDED_ICON_SIZES 16 22 24 32 48 64 128 256)

find_program(KIV_RSVG_CONVERT rsvg-convert)
if(NOT KIV_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) draws the icon's PNGs")
endif()

set(KIV_ICON_PNGS)
set(_kiv_icon_qrc "<RCC>\n    <qresource prefix=\"/icons\">\n")
foreach(_size IN LISTS KIV_ICON_SIZES)
    set(_dir ${CMAKE_BINARY_DIR}/icons/hicolor/${_size}x${_size}/apps)
    set(_png ${_dir}/${KIV_APPLICATION_ID}.png)
    add_custom_command(OUTPUT ${_png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
        COMMAND ${KIV_RSVG_CONVERT} -w ${_size} -h ${_size} -o ${_png} ${KIV_ICON_SVG}
        DEPENDS ${KIV_ICON_SVG}
        VERBATIM)
    list(APPEND KIV_ICON_PNGS ${_png})
    if(_size IN_LIST KIV_EMBEDDED_ICON_SIZES)
        string(APPEND _kiv_icon_qrc "        <file alias=\"${_size}.png\">${_png}</file>\n")
    endif()
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
endforeach()
string(APPEND _kiv_icon_qrc "    </qresource>\n</RCC>\n")
file(WRITE ${CMAKE_BINARY_DIR}/kivicons.qrc.in "${_kiv_icon_qrc}")
configure_file(${CMAKE_BINARY_DIR}/kivicons.qrc.in ${CMAKE_BINARY_DIR}/kivicons.qrc COPYONLY)
qt5_add_resources(KIV_ICON_RESOURCES ${CMAKE_BINARY_DIR}/kivicons.qrc)
target_sources(kivqml PRIVATE ${KIV_ICON_RESOURCES})
add_custom_target(kivicons ALL DEPENDS ${KIV_ICON_PNGS})

install(FILES ${KIV_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${KIV_DESKTOP_DIR}/${KIV_APPLICATION_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KIV_DESKTOP_DIR}/${KIV_APPLICATION_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KIV_DESKTOP_DIR}/kiv-contacts.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
