# SPDX-License-Identifier: GPL-3.0-or-later
# The layer rules, checked when the build is configured; a broken rule stops the configure step.
#   - The project's own targets link downwards only, along the edges listed below once: a link
#     upwards (meter -> desktop) or sideways (meter -> helpers) is refused.
#   - GStreamer's headers reach the engine (platform/) and the engine's own tests (tests/mci)
#     only: nothing above platform/ sees them.
#   - Likewise X11's (xcb, Xlib): the window system is talked to in platform/ alone; above it a
#     static library's private xcb reaches the program's link line only.
#   - No target in media/ sees Qt's headers, and the media module with its scripted-channel
#     test does not link Qt at all.
#   - No target in desktop/ sees the window's headers: it knows the player by its interface.
#
# A target sees a library when the library's include paths reach its sources: it links the
# library itself, or through a chain of PUBLIC or INTERFACE links. A static library's PRIVATE
# link reaches its dependents only as $<LINK_ONLY:...>, which links but brings no include paths.

# The libraries `target` takes in, and the include paths they bring: with SEEN only those whose
# headers reach its sources, otherwise every library it links. A library named by a plain name
# or path rather than a target ("xcb", "-lxcb") is listed as written.
function(_zelko_takes_in target mode out_libraries out_includes)
    get_target_property(pending ${target} LINK_LIBRARIES)
    get_target_property(includes ${target} INCLUDE_DIRECTORIES)
    if(NOT includes)
        set(includes)
    endif()
    set(found)
    while(pending)
        list(POP_FRONT pending item)
        if(item MATCHES "^\\$<LINK_ONLY:(.+)>$")
            if(mode STREQUAL "SEEN")
                continue()
            endif()
            set(item ${CMAKE_MATCH_1})
        endif()
        if(item IN_LIST found)
            continue()
        endif()
        if(NOT TARGET ${item})
            list(APPEND found ${item})
            continue()
        endif()
        list(APPEND found ${item})
        get_target_property(item_includes ${item} INTERFACE_INCLUDE_DIRECTORIES)
        if(item_includes)
            list(APPEND includes ${item_includes})
        endif()
        # Our own libraries pass on what they link; an imported one is judged by its own name.
        get_target_property(imported ${item} IMPORTED)
        get_target_property(item_links ${item} INTERFACE_LINK_LIBRARIES)
        if(NOT imported AND item_links)
            list(APPEND pending ${item_links})
        endif()
    endwhile()
    set(${out_libraries} "${found}" PARENT_SCOPE)
    set(${out_includes} "${includes}" PARENT_SCOPE)
endfunction()

# Stops the configure step when `target` takes in (in `mode`) a library whose name matches
# `name_regex` or an include path matching `path_regex`.
function(_zelko_forbid target mode name_regex path_regex rule)
    _zelko_takes_in(${target} ${mode} libraries includes)
    set(takes "links")
    if(mode STREQUAL "SEEN")
        set(takes "sees the headers of")
    endif()
    foreach(library IN LISTS libraries)
        if(library MATCHES "${name_regex}")
            message(FATAL_ERROR "Layer rule broken: ${target} ${takes} ${library}. ${rule}")
        endif()
    endforeach()
    foreach(path IN LISTS includes)
        if(path MATCHES "${path_regex}")
            message(FATAL_ERROR "Layer rule broken: ${target} sees ${path}. ${rule}")
        endif()
    endforeach()
endfunction()

function(_zelko_all_targets directory out)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory IN LISTS subdirectories)
        _zelko_all_targets(${subdirectory} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} "${targets}" PARENT_SCOPE)
endfunction()

# The layers from the top, each with the layers its targets may link besides their own; a folder
# names its layer (player/controls is "controls", platform/mci is "platform"). Programs and
# folders outside the stack (tools, tests, bench, dist) may link any layer, and no layer links
# them.
set(ZELKO_LAYER_EDGES
    "app: channels desktop player meter helpers controls media platform"
    "channels: media platform"
    "desktop: player meter helpers controls media platform"
    "player: meter helpers controls media platform"
    "meter: platform"
    "helpers: platform"
    "controls: platform"
    "media: platform"
    "platform:")

function(_zelko_layer_of target out)
    get_target_property(dir ${target} SOURCE_DIR)
    file(RELATIVE_PATH dir ${CMAKE_SOURCE_DIR} ${dir})
    if(dir MATCHES "^player/controls(/|$)")
        set(${out} controls PARENT_SCOPE)
    else()
        string(REGEX REPLACE "/.*" "" top "${dir}")
        set(${out} "${top}" PARENT_SCOPE)
    endif()
endfunction()

# Stops the configure step when a target of a layer links a project target that its layer's
# edges do not name.
function(_zelko_check_edges target)
    _zelko_layer_of(${target} layer)
    set(allowed)
    set(in_stack FALSE)
    foreach(entry IN LISTS ZELKO_LAYER_EDGES)
        if(entry MATCHES "^${layer}:(.*)$")
            set(in_stack TRUE)
            separate_arguments(allowed UNIX_COMMAND "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    if(NOT in_stack)
        return()
    endif()
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
    foreach(item IN LISTS links interface_links)
        if(item MATCHES "^\\$<LINK_ONLY:(.+)>$")
            set(item ${CMAKE_MATCH_1})
        endif()
        if(NOT TARGET ${item})
            continue()
        endif()
        get_target_property(imported ${item} IMPORTED)
        if(imported)
            continue()
        endif()
        _zelko_layer_of(${item} other)
        if(NOT other STREQUAL layer AND NOT other IN_LIST allowed)
            message(FATAL_ERROR "Layer rule broken: ${target} (${layer}) links ${item} (${other}); "
                "${layer} may link only ${allowed}.")
        endif()
    endforeach()
endfunction()

function(zelko_check_layers)
    set(gst_names "^PkgConfig::GST$")
    set(gst_paths "/gstreamer-1\\.0|/glib-2\\.0")
    set(qt_names "^Qt[0-9]*::")
    set(qt_paths "/qt[56]($|/)")
    set(x11_names "^X11::|^PkgConfig::.*(XCB|X11)|^(-l)?(xcb|X11)([-_.].*)?$|/lib(xcb|X11)[-_.]")
    set(x11_paths "/(xcb|X11)$")
    _zelko_all_targets(${CMAKE_SOURCE_DIR} targets)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "UTILITY")
            continue()
        endif()
        _zelko_check_edges(${target})
        get_target_property(dir ${target} SOURCE_DIR)
        file(RELATIVE_PATH dir ${CMAKE_SOURCE_DIR} ${dir})
        if(NOT dir MATCHES "^(platform|tests/mci)(/|$)")
            _zelko_forbid(${target} SEEN "${gst_names}" "${gst_paths}"
                "GStreamer's headers belong to platform/ alone.")
            _zelko_forbid(${target} SEEN "${x11_names}" "${x11_paths}"
                "The window system (xcb, Xlib) is talked to in platform/ alone.")
        endif()
        if(dir MATCHES "^media(/|$)")
            _zelko_forbid(${target} SEEN "${qt_names}" "${qt_paths}" "media/ is toolkit-free.")
        endif()
        if(dir MATCHES "^desktop(/|$)")
            _zelko_forbid(${target} SEEN "^zelko_player$" "/headers/zelko_player$"
                "desktop/ reaches the window only through the player's interface (zelko_player_api).")
        endif()
    endforeach()
    foreach(target zelko_media media_commands_test)
        if(TARGET ${target})
            _zelko_forbid(${target} LINKED "${qt_names}" "${qt_paths}"
                "The media module and its scripted-channel test build without Qt.")
        endif()
    endforeach()
endfunction()
