# SPDX-License-Identifier: GPL-3.0-or-later
# The layer rules, checked when the build is configured; a broken rule stops the configure step.
#   - The project's own targets link downwards only, along the edges listed below once: a link
#     upwards (meter -> desktop) or sideways (meter -> helpers) is refused. platform/ is a stack
#     of its own parts (the engine, its host, the wire, the X helpers, ...), kept the same way,
#     and the layers above name the parts they may use.
#   - GStreamer's headers reach the engine, its GStreamer owners and the engine's own tests
#     (tests/mci) only: nothing else sees them. The window's program and the desktop do not even
#     link it: the engine host reads and plays the media, and tells the desktop a file's tags.
#   - Likewise X11's (xcb, Xlib): the window system is talked to by the engine, the X helpers,
#     the frame strip and the host's shared X images alone; elsewhere a static library's private
#     xcb reaches the program's link line only.
#   - No target in media/ sees Qt's headers, and the media module with its scripted-channel
#     test does not link Qt at all; nor do the engine, its host and what they share with the
#     window (the wire, the words, the trace, the codes, ...) see Qt, and the engine's host, a
#     process of its own, links no toolkit.
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

# The targets of platform/ by part, each part a layer of its own ("platform/engine"), from the
# top. A target of platform/ that no part names stops the configure step: it must be given its
# place here, and its part a line in ZELKO_LAYER_EDGES below.
set(ZELKO_PLATFORM_PARTS
    "host: zelko-mci-host"
    "shared-images: zelko_mci_shared_images"
    "sandbox: zelko_mci_sandbox"
    "launch: zelko_mci_launch"
    "engine-insides: zelko_mci_insides"
    "engine: zelko_mci"
    "gst: zelko_gst_holders"
    "wire: zelko_mci_wire"
    "words: zelko_mci_words"
    "trace: zelko_mci_trace"
    "descriptions: zelko_mci_descriptions"
    "codes: zelko_mci_codes"
    "media-file: zelko_media_file"
    "strip: zelko_platform_strip"
    "x: zelko_x_helpers"
    "stand-ins: zelko_platform"
    "accessibility: zelko_accessible_value"
    "basics: zelko_platform_basics")

# The layers from the top, each with the layers its targets may link besides their own; a folder
# names its layer (player/controls is "controls"), and platform/'s parts theirs. Programs and
# folders outside the stack (tools, tests, bench, dist) may link any layer, and no layer links
# them. The engine's insides are shown to its tests, which are outside the stack, and to no layer.
#   services: what any layer of the window may use.
#   engine_parts: what the engine is made of besides GStreamer's owners, and its host uses too.
set(services "platform/stand-ins platform/x platform/accessibility platform/basics")
set(engine_parts "platform/words platform/trace platform/descriptions platform/codes platform/media-file platform/basics")
set(ZELKO_LAYER_EDGES
    "app: channels desktop player meter helpers controls media ${services}"
    "channels: media platform/launch platform/wire platform/engine ${engine_parts} ${services}"
    "desktop: player meter helpers controls media ${services}"
    "player: meter helpers controls media ${services}"
    "meter: ${services}"
    "helpers: platform/strip ${services}"
    "controls: ${services}"
    "media: platform/codes platform/basics"
    "platform/host: platform/shared-images platform/sandbox platform/engine platform/wire ${engine_parts}"
    "platform/shared-images:"
    "platform/sandbox: platform/launch"
    "platform/launch:"
    "platform/engine-insides: platform/engine platform/gst ${engine_parts}"
    "platform/engine: platform/gst ${engine_parts}"
    "platform/gst:"
    "platform/wire: platform/media-file platform/basics"
    "platform/words: platform/codes platform/basics"
    "platform/trace:"
    "platform/descriptions: platform/codes platform/basics"
    "platform/codes:"
    "platform/media-file: platform/basics"
    "platform/strip:"
    "platform/x: platform/basics"
    "platform/stand-ins: platform/basics"
    "platform/accessibility:"
    "platform/basics:")
unset(services)
unset(engine_parts)

# The parts of platform/ that may see GStreamer's headers, the window system's (xcb, Xlib), and
# those that must not see Qt's.
set(ZELKO_GST_PARTS engine engine-insides gst)
set(ZELKO_X11_PARTS engine engine-insides x strip shared-images)
set(ZELKO_TOOLKIT_FREE_PARTS host shared-images sandbox launch engine-insides engine gst wire words trace descriptions codes
    media-file basics)

function(_zelko_layer_of target out)
    get_target_property(dir ${target} SOURCE_DIR)
    file(RELATIVE_PATH dir ${CMAKE_SOURCE_DIR} ${dir})
    if(dir MATCHES "^player/controls(/|$)")
        set(${out} controls PARENT_SCOPE)
    elseif(dir MATCHES "^platform(/|$)")
        foreach(entry IN LISTS ZELKO_PLATFORM_PARTS)
            string(REGEX MATCH "^[^:]+" part "${entry}")
            string(REGEX REPLACE "^[^:]+:" "" members "${entry}")
            separate_arguments(members UNIX_COMMAND "${members}")
            if(target IN_LIST members)
                set(${out} platform/${part} PARENT_SCOPE)
                return()
            endif()
        endforeach()
        message(FATAL_ERROR "Layer rule broken: ${target} (${dir}) belongs to no part of platform/; "
            "name it in ZELKO_PLATFORM_PARTS (cmake/ZelkoLayers.cmake).")
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
            list(REMOVE_DUPLICATES allowed)
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
        if(other STREQUAL "platform/engine-insides" AND NOT layer STREQUAL other)
            message(FATAL_ERROR "Layer rule broken: ${target} (${layer}) links ${item}, the engine's insides, "
                "which only the engine's own tests may see.")
        endif()
        if(NOT other STREQUAL layer AND NOT other IN_LIST allowed)
            list(JOIN allowed ", " may)
            set(rule "${layer} may link only ${may}.")
            if(NOT may)
                set(rule "${layer} may link no other layer.")
            endif()
            message(FATAL_ERROR "Layer rule broken: ${target} (${layer}) links ${item} (${other}), but ${rule}")
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
        _zelko_layer_of(${target} layer)
        get_target_property(dir ${target} SOURCE_DIR)
        file(RELATIVE_PATH dir ${CMAKE_SOURCE_DIR} ${dir})
        if(dir MATCHES "^tests/mci(/|$)")
            continue()
        endif()
        string(REGEX REPLACE "^platform/" "" part "${layer}")
        if(NOT layer MATCHES "^platform/" OR NOT part IN_LIST ZELKO_GST_PARTS)
            _zelko_forbid(${target} SEEN "${gst_names}" "${gst_paths}"
                "GStreamer's headers belong to the engine and its GStreamer owners alone.")
        endif()
        if(NOT layer MATCHES "^platform/" OR NOT part IN_LIST ZELKO_X11_PARTS)
            _zelko_forbid(${target} SEEN "${x11_names}" "${x11_paths}"
                "The window system (xcb, Xlib) is talked to by the engine, the X helpers, the strip and the host's shared images alone.")
        endif()
        if(layer STREQUAL "media" OR (layer MATCHES "^platform/" AND part IN_LIST ZELKO_TOOLKIT_FREE_PARTS))
            _zelko_forbid(${target} SEEN "${qt_names}" "${qt_paths}" "${layer} is toolkit-free.")
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
    _zelko_forbid(zelko-mci-host LINKED "${qt_names}" "${qt_paths}" "The engine's host runs without a toolkit.")
    foreach(target zelko-player zelko_desktop)
        _zelko_forbid(${target} LINKED "${gst_names}" "${gst_paths}"
            "The window's process links no GStreamer: the engine host plays the media and reads its tags.")
    endforeach()
endfunction()
