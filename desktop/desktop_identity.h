// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace zelko {

// Who the player is to the desktop: the id of its desktop entry (also the name of its icon, its
// AppStream component and its MIME package). dist/ writes the installed files from it and from
// the kinds of file the player opens (platform/media_kinds.h), and whatever else names the
// player to the desktop (window matching, a media-player bus name) takes it from here.
namespace desktop {

inline constexpr std::string_view kDesktopEntryId = "io.github.zelko.ZelkoPlayer";

}  // namespace desktop

}  // namespace zelko
