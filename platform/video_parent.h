// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zelko::platform {

// Readies the native window `window` (a handle as the media layer passes it) to be the parent of
// a video: its background becomes black, so the server clears uncovered areas to black, and
// devicePixelRatio (device pixels per logical pixel) is recorded on it for the MCI engine, which
// places the video in logical pixels. Does nothing without an X11 display (offscreen, Wayland)
// or for a handle that names no window; runs on the UI thread.
void prepareVideoParent(std::uintptr_t window, double devicePixelRatio);

}  // namespace zelko::platform
