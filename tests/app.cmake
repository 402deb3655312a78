# Tests of this area: kiv_add_test(<name> [GUI] [QML] [SOURCES ...]).
kiv_add_test(contactsimageprovider QML)
kiv_add_test(filedialog GUI)
# The real program, started from outside and seen through the X server.
find_package(X11 REQUIRED)
kiv_add_test(application GUI SOURCES appx11.h appx11.cpp)
target_link_libraries(tst_application PRIVATE X11::X11)
add_dependencies(tst_application kiv-contacts)
