# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in the build folder makes zelko-player_<version>_<arch>.deb
# with what `cmake --install` installs, under /usr. The libraries the program links come from
# dpkg-shlibdeps; what it loads at run time is named here: the GStreamer plugins that decode
# every offered kind (MIDI through FluidSynth and AV1 through libaom in plugins-bad, with a
# General MIDI sound font; Ogg, Vorbis, Theora and Opus in base; MP4, Matroska, WebM, FLAC and
# VP8/VP9 in good; ASF and AC-3 in ugly; H.264, HEVC, AAC, ALAC, WMA and WMV in libav), the video
# sinks, an audio output, and bubblewrap, which gives the engine host its namespaces.
# The maintainer is the project itself, at the domain its desktop id names (io.github.zelko).
set(zelko_maintainer "Zelko Player developers <zelko-player@zelko.github.io>")
set(ZELKO_PACKAGE_MAINTAINER ${zelko_maintainer} CACHE STRING
    "The Maintainer field of the Debian package: a name and an e-mail address")
# A build folder configured when the field was a bare name gets the address.
if(NOT ZELKO_PACKAGE_MAINTAINER MATCHES "<[^>@]+@[^>]+>$")
    set(ZELKO_PACKAGE_MAINTAINER ${zelko_maintainer} CACHE STRING
        "The Maintainer field of the Debian package: a name and an e-mail address" FORCE)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelko-player)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ZELKO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Plays audio and video files from a playlist")
# Debian's tools read the description's lines as they stand: each within 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Zelko Player is a small media player in one borderless window: a playlist\n"
    "that survives restarts, transport buttons, an LED bar, a scrolling title,\n"
    "a position slider, Auto Replay and a fullscreen mode. It plays MP3, MP2,\n"
    "WAV, MIDI, RMI, AU, AIFF, MPEG, AVI and VOB files, and MP4, M4A, MOV, 3GP,\n"
    "Matroska, WebM, Ogg, Opus, FLAC, WMA, WMV, ASF, AAC and AC-3 files, a\n"
    "phone's portrait video upright.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Packaged by the project itself, yet not a native Debian package: its changelog is
# changelog.Debian.gz, so the version carries a Debian revision.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZELKO_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, "
    "gstreamer1.0-plugins-ugly, gstreamer1.0-libav, gstreamer1.0-x, "
    "gstreamer1.0-pulseaudio | gstreamer1.0-alsa, "
    "fluid-soundfont-gm | musescore-general-soundfont | timgm6mb-soundfont, bubblewrap")
# The scrolling title asks for Courier New; Liberation Mono stands in for it by metric.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")

include(CPack)
