# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings for the project's own targets only (not for GoogleTest or Qt's generated code).
function(zelko_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
endfunction()
