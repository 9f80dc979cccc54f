// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>

namespace zelko {

// The player lays out its window in twips and converts at a fixed 15 twips per pixel,
// whatever the screen's real resolution.
inline constexpr int kTwipsPerPixel = 15;

inline int TwipsToPx(double twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline constexpr int PxToTwips(int px)
{
    return px * kTwipsPerPixel;
}

}  // namespace zelko
