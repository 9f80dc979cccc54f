// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zelko::player {

// Where the normal window puts a video: Picture1's place and size and the form's height, in
// twips. A video whose own size fits the picture area and whose grown window fits the work area
// keeps exactly the size it has (15 twips a pixel); a larger one gets the largest picture of its
// shape, in whole pixels, that fits both.
struct VideoFit {
    double leftTwips = 0;
    double widthTwips = 0;
    double heightTwips = 0;
    int formHeightTwips = 0;
    bool scaled = false;  // smaller than the video's own size: the engine must be told the size
};

// cx, cy: the video's display size in pixels (both above 0). workAreaHeight: the height of the
// work area of the window's screen in logical pixels, as the toolkit reports it, rounded from
// the screen's device pixels at devicePixelRatio; the grown window must fit in those device
// pixels too.
VideoFit fitVideo(int32_t cx, int32_t cy, int workAreaHeight, double devicePixelRatio);

}  // namespace zelko::player
