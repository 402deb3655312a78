# Sync tests against real CardDAV servers started by the tests themselves.
add_library(kivdavserver STATIC davserver.h davserver.cpp)
target_link_libraries(kivdavserver PUBLIC kivcontacts Qt5::Test)
target_include_directories(kivdavserver PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kivdavserver PRIVATE kivtestsupport)
target_compile_definitions(kivdavserver PRIVATE TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")

kiv_add_test(carddavsync)
target_link_libraries(tst_carddavsync PRIVATE kivdavserver)
# Radicale checks every stored card's UID on each new one, so uploads grow with the
# square of the count: `make test` syncs 200 and kills a first sync of 600; the full
# sizes (1,000 and 5,000, many minutes) run as tst_carddavsync_full in `make test-full`.
set_tests_properties(tst_carddavsync PROPERTIES TIMEOUT 900
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KIV_SYNC_TEST_CONTACTS=200;KIV_SYNC_TEST_CRASH_CONTACTS=600")
add_test(NAME tst_carddavsync_full COMMAND tst_carddavsync)
set_tests_properties(tst_carddavsync_full PROPERTIES TIMEOUT 7200 LABELS full
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=7000000")

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

# The account form driven through the real main scene, without a secret store.
kiv_add_test(carddavscene GUI QML SOURCES scenedriver.cpp)
target_link_libraries(tst_carddavscene PRIVATE kivdavserver)
set_tests_properties(tst_carddavscene PROPERTIES
    ENVIRONMENT "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")
