// SPDX-License-Identifier: GPL-3.0-or-later
// The normal window's fitting rule: a video that fits keeps its own size exactly; a larger one
// gets the largest picture of its shape whose width fits the picture area (460 px) and whose
// window (picture + 259 px) fits the work area of its screen, in the screen's device pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "player/video_fit.h"

namespace zelko {

namespace {

// Two work areas in device pixels: 1280x1024 with panels of 40 and 30 px, and 1366x768 with one
// panel of 48 px.
constexpr int kTall = 954;
constexpr int kLaptop = 720;

struct FitCase {
    const char* name;
    int cx, cy;  // the video's display size (anamorphic 720x576 16:9 is 1024x576)
    double ratio;
    int workDevicePx;
    double left, width, height;  // Picture1, twips
    int formHeight;
    bool scaled;
};

const FitCase kFits[] = {
    {"Fits320x240", 320, 240, 1, kTall, 1050, 4800, 3600, 7485, false},
    {"Fits176x144", 176, 144, 1, kTall, 2130, 2640, 2160, 6045, false},
    {"Fits352x288", 352, 288, 1, kTall, 810, 5280, 4320, 8205, false},
    {"Fits320x240At150", 320, 240, 1.5, kTall, 1050, 4800, 3600, 7485, false},
    {"TooTall320x240At200", 320, 240, 2, kTall, 1282.5, 4335, 3255, 7140, true},
    {"TooTall320x240At200OnALaptop", 320, 240, 2, kLaptop, 2452.5, 1995, 1500, 5385, true},
    {"TooWide640x360", 640, 360, 1, kTall, 0, 6900, 3885, 7770, true},
    {"TooWide1280x720", 1280, 720, 1, kTall, 0, 6900, 3885, 7770, true},
    {"TooWide1280x720At150", 1280, 720, 1.5, kTall, 0, 6900, 3885, 7770, true},
    {"TooTall1280x720At200", 1280, 720, 2, kTall, 555, 5790, 3255, 7140, true},
    {"TooTall1280x720At150OnALaptop", 1280, 720, 1.5, kLaptop, 502.5, 5895, 3315, 7200, true},
    {"TooTall1280x720At200OnALaptop", 1280, 720, 2, kLaptop, 2115, 2670, 1500, 5385, true},
    {"TooWide1920x1080", 1920, 1080, 1, kTall, 0, 6900, 3885, 7770, true},
    {"AnamorphicVob", 1024, 576, 1, kTall, 0, 6900, 3885, 7770, true},
    {"AnamorphicVobAt200", 1024, 576, 2, kTall, 555, 5790, 3255, 7140, true},
    {"Portrait480x854", 480, 854, 1, kTall, 517.5, 5865, 10425, 14310, true},
    {"Portrait480x854At150", 480, 854, 1.5, kTall, 1860, 3180, 5655, 9540, true},
    {"Portrait480x854At200", 480, 854, 2, kTall, 2535, 1830, 3255, 7140, true},
    {"Portrait480x854OnALaptop", 480, 854, 1, kLaptop, 1507.5, 3885, 6915, 10800, true},
};

void PrintTo(const FitCase& c, std::ostream* out)
{
    *out << c.name;
}

class VideoFitTable : public ::testing::TestWithParam<FitCase> {};

TEST_P(VideoFitTable, PictureAndWindowHeight)
{
    const FitCase& c = GetParam();
    // The work area as the toolkit reports it: logical pixels rounded from the device's.
    const int workArea = static_cast<int>(std::lround(c.workDevicePx / c.ratio));
    const player::VideoFit fit = player::fitVideo(c.cx, c.cy, workArea, c.ratio);
    EXPECT_DOUBLE_EQ(fit.leftTwips, c.left);
    EXPECT_DOUBLE_EQ(fit.widthTwips, c.width);
    EXPECT_DOUBLE_EQ(fit.heightTwips, c.height);
    EXPECT_EQ(fit.formHeightTwips, c.formHeight);
    EXPECT_EQ(fit.scaled, c.scaled);
    // Whatever the figures, the grown window's device pixels fit the device work area, and the
    // picture keeps the video's shape within its rounding.
    EXPECT_LE(std::lround(fit.formHeightTwips / 15.0 * c.ratio), c.workDevicePx);
    EXPECT_NEAR(fit.widthTwips / fit.heightTwips, static_cast<double>(c.cx) / c.cy,
                static_cast<double>(c.cx) / c.cy * 0.02);
}

INSTANTIATE_TEST_SUITE_P(Sizes, VideoFitTable, ::testing::ValuesIn(kFits),
                         [](const ::testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace zelko
