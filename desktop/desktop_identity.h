// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string_view>

namespace zelko {

// Who the player is to the desktop: the id of its desktop entry (also the name of its icon, its
// AppStream component and its MIME package), and the MIME types the desktop entry offers to
// open. dist/ writes the installed files from these two, and whatever else names the player to
// the desktop (window matching, a media-player bus name) takes them from here.
namespace desktop {

inline constexpr std::string_view kDesktopEntryId = "io.github.zelko.ZelkoPlayer";

// The type of *.rmi files (MIDI inside a RIFF "RMID" wrapper). The shared MIME database has
// none, so the player's MIME package defines it.
inline constexpr std::string_view kRiffMidiType = "audio/x-riff-midi";

// The kinds the file dialog offers, under the names the MIME database gives them (a *.vob is
// video/mpeg there), then the aliases desktops still send for them.
inline constexpr std::array<std::string_view, 24> kMimeTypes = {
    "audio/mpeg",
    "audio/mp2",
    "audio/x-wav",
    "audio/midi",
    kRiffMidiType,
    "audio/basic",
    "audio/x-aiff",
    "video/mpeg",
    "video/x-msvideo",
    // aliases
    "audio/mp3",
    "audio/x-mp3",
    "audio/x-mpeg",
    "audio/x-mp2",
    "audio/wav",
    "audio/vnd.wave",
    "audio/x-midi",
    "audio/aiff",
    "video/x-mpeg",
    "video/mpeg-system",
    "video/x-mpeg-system",
    "video/avi",
    "video/msvideo",
    "video/x-avi",
    "video/vnd.avi",
};

}  // namespace desktop

}  // namespace zelko
