// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// How a native X11 window tells the MCI engine how many device pixels make one of its owner's
// logical pixels: a 32-bit CARDINAL property on the window, in thousandths (2000 at 200 %).
// The owner writes it (platform/video_parent), the engine reads it (platform/mci/window_geometry);
// a window without it is taken at 1000, one device pixel per logical pixel.
namespace zelko::platform {

inline constexpr char kPixelRatioProperty[] = "_ZELKO_DEVICE_PIXEL_RATIO";
inline constexpr uint32_t kPixelRatioUnit = 1000;

}  // namespace zelko::platform
