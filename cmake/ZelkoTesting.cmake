# SPDX-License-Identifier: GPL-3.0-or-later
include(GoogleTest)
find_package(GTest REQUIRED)

# The clips every playback test uses are made once per build by scripts/make-clips, as a CTest
# fixture, into build/tests/clips; tests read the folder from ZELKO_CLIPS_DIR (compiled in).
set(ZELKO_CLIPS_DIR ${CMAKE_BINARY_DIR}/tests/clips)

# What every test runs with, so a sanitizer build reports our faults and not the allocations
# that GLib, fontconfig, D-Bus and X keep for the life of the process.
set(ZELKO_TEST_ENV "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/tsan.supp")
# ignore_noninstrumented_modules: ThreadSanitizer checks the memory that the libraries built
# without it (GStreamer, libav, GLib, Qt) touch through its interceptors (memcpy, memset), whose
# locking it cannot see: every decoded picture that gst-libav copies came out as thousands of
# races, each matched against the suppressions and against every race reported before, so a
# process ran slower with every video it played, to a second a picture. Their locks still count.
# GLib's slice allocator hands memory from one thread to another under a lock of its own that the
# sanitizers cannot follow, so ThreadSanitizer takes the next owner's first use for a race; with
# plain malloc, which they watch, they see the hand-over.
if(ZELKO_SANITIZE)
    list(APPEND ZELKO_TEST_ENV "G_SLICE=always-malloc")
endif()

# zelko_add_gtest(NAME n SOURCES ... LIBS ... [OFFSCREEN] [CLIPS] [DISPLAY] [TIMEOUT s])
#   OFFSCREEN: Qt's offscreen platform (widget logic, no X server needed)
#   CLIPS:     needs the test clips (runs after the make-clips fixture)
#   DISPLAY:   needs a real X server (the test command runs ctest under Xvfb)
function(zelko_add_gtest)
    cmake_parse_arguments(T "OFFSCREEN;CLIPS;DISPLAY" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} zelko_test_support GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${T_NAME} PRIVATE ZELKO_CLIPS_DIR="${ZELKO_CLIPS_DIR}"
                               ZELKO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(env ${ZELKO_TEST_ENV})
    if(T_OFFSCREEN)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${ZELKO_TIME_SCALE}")
    # gtest_discover_tests flattens PROPERTIES, which would keep only the first variable of an
    # ENVIRONMENT list; the variables are set by running each test through `cmake -E env`.
    set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR "${CMAKE_COMMAND};-E;env;${env}")
    # Each test carries its folder's name as a label (mci, player, ...), so a run can pick areas.
    get_filename_component(area ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(labels ${area})
    set(props TIMEOUT ${T_TIMEOUT})
    if(T_CLIPS)
        list(APPEND props FIXTURES_REQUIRED clips)
    endif()
    if(T_DISPLAY)
        # One X screen is shared: two tests' windows must not cover each other's pixels.
        list(APPEND labels display)
        list(APPEND props RESOURCE_LOCK x-screen)
    endif()
    # gtest_discover_tests flattens PROPERTIES too: the labels go as one escaped list.
    string(REPLACE ";" "\\;" labels "${labels}")
    list(APPEND props LABELS "${labels}")
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
