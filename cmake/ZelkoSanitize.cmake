# SPDX-License-Identifier: GPL-3.0-or-later
# ZELKO_SANITIZE picks the sanitizers everything is built with:
#   ON or address   AddressSanitizer and UBSan; the test command then runs with the suppressions
#                   in tests/sanitizers/lsan.supp for leaks that belong to GLib, fontconfig and X
#   thread          ThreadSanitizer, with tests/sanitizers/tsan.supp for the races it reports
#                   inside GLib and GStreamer, which are built without it
# A sanitizer build does the same work several times more slowly, so its time limits stretch
# by ZELKO_TIME_SCALE (the engine's waits for a decoder or an output, and the tests' deadlines),
# read by platform::timeLimit (platform/time_limit.h) alone; the CTest timeouts stretch with it.
set(ZELKO_SANITIZE "OFF" CACHE STRING "Sanitizers to build with: OFF, ON/address (ASan + UBSan) or thread (TSan)")
set_property(CACHE ZELKO_SANITIZE PROPERTY STRINGS OFF ON address thread)
set(ZELKO_TIME_SCALE 1)
if(ZELKO_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
    set(ZELKO_TIME_SCALE 10)
elseif(ZELKO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    set(ZELKO_TIME_SCALE 3)
endif()
if(NOT ZELKO_TIME_SCALE EQUAL 1)
    add_compile_definitions(ZELKO_TIME_SCALE=${ZELKO_TIME_SCALE})
endif()
