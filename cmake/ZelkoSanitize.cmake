# SPDX-License-Identifier: GPL-3.0-or-later
# ZELKO_SANITIZE picks the sanitizers everything is built with:
#   ON or address   AddressSanitizer and UBSan; the test command then runs with the suppressions
#                   in tests/sanitizers/lsan.supp for leaks that belong to GLib, fontconfig and X
#   thread          ThreadSanitizer, with tests/sanitizers/tsan.supp for the races it reports
#                   inside GLib and GStreamer, which are built without it
set(ZELKO_SANITIZE "OFF" CACHE STRING "Sanitizers to build with: OFF, ON/address (ASan + UBSan) or thread (TSan)")
set_property(CACHE ZELKO_SANITIZE PROPERTY STRINGS OFF ON address thread)
if(ZELKO_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(ZELKO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
