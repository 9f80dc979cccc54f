# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DPROBE_LINK=... -DEXPECTED=... -P expect_refusal.cmake
# Configures the project again into BUILD_DIR with one more link (PROBE_LINK, "target PUBLIC
# dependency") and passes only when the configure step stops with EXPECTED as its whole message.
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G Ninja -DZELKO_BUILD_BENCH=OFF
            "-DZELKO_LAYER_PROBE_LINK=${PROBE_LINK}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(result EQUAL 0)
    message(FATAL_ERROR "The configure step took the link ${PROBE_LINK}; it should have said: ${EXPECTED}")
endif()
# CMake prints an error's text under "CMake Error at FILE:LINE (message):", wrapped and indented,
# and the call stack after it: the words between the two are the message.
string(FIND "${errors}" "(message):\n" start)
string(FIND "${errors}" "\nCall Stack" end)
if(start EQUAL -1 OR end LESS start)
    message(FATAL_ERROR "The configure step failed without a message of its own:\n${errors}")
endif()
math(EXPR start "${start} + 11")
math(EXPR length "${end} - ${start}")
string(SUBSTRING "${errors}" ${start} ${length} said)
string(REGEX REPLACE "[ \n]+" " " said "${said}")
string(STRIP "${said}" said)
if(NOT said STREQUAL EXPECTED)
    message(FATAL_ERROR "The configure step refused the link ${PROBE_LINK} for another reason.\n"
        "  said:     ${said}\n  expected: ${EXPECTED}")
endif()
message(STATUS "Refused as expected: ${said}")
