# Each area registers its tests through vyn_add_test. Tests run with the offscreen Qt
# platform; those labelled "sound" need the private PulseAudio daemon that `make test` starts.
function(vyn_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
    target_compile_definitions(${name} PRIVATE
        VYN_BIN_DIR="${VYN_BIN_DIR}" VYN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        VYN_TEST_TMP="${CMAKE_BINARY_DIR}/test-tmp")
    # Tests that play into the shared null sink take turns, so that no recording hears
    # another test's tone.
    set(lock "")
    if("sound" IN_LIST T_LABELS)
        set(lock RESOURCE_LOCK pulse_sink)
    endif()
    gtest_discover_tests(${name}
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${T_LABELS}" ${lock}
        DISCOVERY_TIMEOUT 60)
endfunction()
