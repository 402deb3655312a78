# Benchmarks of the application shell.
kiv_add_bench(photos)
# The real window driven as a person does, with the tests' scene driver.
add_executable(bench_window bench_window.cpp benchutil.h benchutil.cpp
    ${CMAKE_SOURCE_DIR}/tests/scenedriver.cpp $<TARGET_OBJECTS:kivqml>)
target_link_libraries(bench_window PRIVATE kivtestsupport)
target_compile_options(bench_window PRIVATE -Wall -Wextra)
target_compile_definitions(bench_window PRIVATE
    GEN_CONTACTS="${CMAKE_SOURCE_DIR}/../shared/tools/gen_contacts.py")
set_property(GLOBAL APPEND PROPERTY KIV_BENCHES bench_window)
