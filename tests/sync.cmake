# Sync tests against real CardDAV servers started by the tests themselves.
add_library(kivdavserver STATIC davserver.h davserver.cpp)
target_link_libraries(kivdavserver PUBLIC kivcontacts Qt5::Test)
target_include_directories(kivdavserver PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kivdavserver PRIVATE kivtestsupport)
target_compile_definitions(kivdavserver PRIVATE TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")

kiv_add_test(carddavsync)
target_link_libraries(tst_carddavsync PRIVATE kivdavserver)
target_compile_definitions(tst_carddavsync PRIVATE
    GEN_CONTACTS="${CMAKE_SOURCE_DIR}/../shared/tools/gen_contacts.py")
# Radicale checks every stored card's UID on each new one: the 5,000-card
# crash test alone takes many minutes on a busy machine.
set_tests_properties(tst_carddavsync PROPERTIES TIMEOUT 3600
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=3500000")

# The account runs once with a secret store of its own and once without any.
find_program(DBUS_RUN_SESSION dbus-run-session)
kiv_add_test(carddavaccount)
target_link_libraries(tst_carddavaccount PRIVATE kivdavserver)
set_tests_properties(tst_carddavaccount PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KIV_SECRET_STORE=0;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")
add_test(NAME tst_carddavaccount_secretstore
    COMMAND ${DBUS_RUN_SESSION} -- ${CMAKE_CURRENT_SOURCE_DIR}/keyringsession.sh
            $<TARGET_FILE:tst_carddavaccount>)
set_tests_properties(tst_carddavaccount_secretstore PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KIV_SECRET_STORE=1")
