# Every stored fuzz input is replayed through its target's entry function by
# an ordinary test program (no libFuzzer needed), so that a fixed finding
# stays fixed.
include(fuzz/targets.cmake)
foreach(target IN LISTS KIV_FUZZ_TARGETS)
    add_executable(fuzzreplay_${target} fuzz/fuzz_${target}.cpp fuzz/replaymain.cpp)
    target_link_libraries(fuzzreplay_${target} PRIVATE kivcontacts)
    target_compile_options(fuzzreplay_${target} PRIVATE -Wall -Wextra)
    add_test(NAME fuzzreplay_${target}
        COMMAND fuzzreplay_${target} ${CMAKE_CURRENT_SOURCE_DIR}/data/fuzz/${target})
    set_tests_properties(fuzzreplay_${target} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endforeach()
