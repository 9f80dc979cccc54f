# SPDX-License-Identifier: GPL-3.0-or-later
# Every include is written from the project root ("media/module_multimedia.h"), yet a target sees
# only the headers of what it links. Each library shows its own headers through a folder of links
# in the build tree (build/headers/<target>/media/module_multimedia.h -> the source), which goes
# on the include path of the library and of whatever links it; the source root itself is on no
# target's include path. A header added to a folder is seen at the next configure, which the
# folders' CONFIGURE_DEPENDS globs start.

# Makes the folder of links `root` hold the headers among `files` (others are skipped).
function(_zelko_link_headers root)
    file(REMOVE_RECURSE ${root})
    foreach(header IN LISTS ARGN)
        if(NOT header MATCHES "\\.h$")
            continue()
        endif()
        file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${header})
        get_filename_component(folder ${root}/${relative} DIRECTORY)
        file(MAKE_DIRECTORY ${folder})
        file(CREATE_LINK ${header} ${root}/${relative} SYMBOLIC)
    endforeach()
endfunction()

# Shows the headers among the files given to `target` and to whatever links it.
function(zelko_headers target)
    set(root ${CMAKE_BINARY_DIR}/headers/${target})
    _zelko_link_headers(${root} ${ARGN})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()

# A library's insides: the headers among the files given are seen by its own sources and shown to
# nothing that links it. `view` (made here, an INTERFACE library) shows them, with the library,
# to what looks inside on purpose: the library's own tests. No layer may link a view.
function(zelko_inner_headers target view)
    set(root ${CMAKE_BINARY_DIR}/headers/${view})
    _zelko_link_headers(${root} ${ARGN})
    target_include_directories(${target} PRIVATE ${root})
    add_library(${view} INTERFACE)
    target_include_directories(${view} INTERFACE ${root})
    target_link_libraries(${view} INTERFACE ${target})
endfunction()
