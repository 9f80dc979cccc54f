// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/video_fit.h"

#include <algorithm>
#include <cmath>

#include "platform/twips.h"
#include "player/form1_constants.h"

namespace zelko::player {

namespace {

// The picture area is the form's width; the window grows by the video's height below the
// normal form (3570 twips) and a 315-twip margin; the picture is centred on the mid-line.
constexpr int kPictureAreaWidthPx = 6900 / kTwipsPerPixel;
constexpr int kChromeHeightTwips = form1::kNormalHeightTwips + 315;
constexpr int kChromeHeightPx = kChromeHeightTwips / kTwipsPerPixel;
constexpr double kMidLineTwips = 3450;

// The tallest window, in logical pixels, whose device height fits the work area. The toolkit
// rounds the work area's device height D to the nearest logical pixel L, so D is at least
// (L - 0.5) x ratio; a window of h logical pixels is round(h x ratio) device pixels high.
int tallestWindow(int workAreaHeight, double ratio)
{
    if (!(ratio > 0)) {
        ratio = 1;
    }
    const double device = std::ceil((workAreaHeight - 0.5) * ratio);
    return static_cast<int>(std::ceil((device + 0.5) / ratio)) - 1;
}

VideoFit place(int64_t width, int64_t height, bool scaled)
{
    const double widthTwips = static_cast<double>(width) * kTwipsPerPixel;
    const double heightTwips = static_cast<double>(height) * kTwipsPerPixel;
    return {kMidLineTwips - widthTwips / 2, widthTwips, heightTwips, static_cast<int>(heightTwips) + kChromeHeightTwips,
            scaled};
}

}  // namespace

VideoFit fitVideo(int32_t cx, int32_t cy, int workAreaHeight, double devicePixelRatio)
{
    const int64_t maxWidth = kPictureAreaWidthPx;
    const int64_t maxHeight = std::max(1, tallestWindow(workAreaHeight, devicePixelRatio) - kChromeHeightPx);
    const int64_t width = std::max(cx, 1);
    const int64_t height = std::max(cy, 1);
    if (width <= maxWidth && height <= maxHeight) {
        return place(width, height, false);
    }
    // Whichever bound binds first sets its side; the other side follows the shape, rounded, and
    // cannot pass its own bound.
    if (width * maxHeight <= height * maxWidth) {
        const auto fitted = std::llround(static_cast<double>(maxHeight) * width / height);
        return place(std::clamp<int64_t>(fitted, 1, maxWidth), maxHeight, true);
    }
    const auto fitted = std::llround(static_cast<double>(maxWidth) * height / width);
    return place(maxWidth, std::clamp<int64_t>(fitted, 1, maxHeight), true);
}

}  // namespace zelko::player
