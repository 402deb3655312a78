# Sync tests against real CardDAV servers started by the tests themselves.
add_library(kivdavserver STATIC davserver.h davserver.cpp)
target_link_libraries(kivdavserver PUBLIC kivcontacts Qt5::Test)
target_include_directories(kivdavserver PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

add_executable(synccrashchild synccrashchild.cpp)
target_link_libraries(synccrashchild PRIVATE kivcontacts)

kiv_add_test(carddavsync)
target_link_libraries(tst_carddavsync PRIVATE kivdavserver)
add_dependencies(tst_carddavsync synccrashchild)
target_compile_definitions(tst_carddavsync PRIVATE
    SYNC_CHILD="$<TARGET_FILE:synccrashchild>"
    GEN_CONTACTS="${CMAKE_SOURCE_DIR}/../shared/tools/gen_contacts.py")
set_tests_properties(tst_carddavsync PROPERTIES TIMEOUT 1500)
