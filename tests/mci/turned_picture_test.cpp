// SPDX-License-Identifier: GPL-3.0-or-later
// A picture shows as its file says it is to be shown: turned or mirrored by an MP4's track
// matrix, widened by pixels that are not square; `where source` and the first destination are
// that shown size. Read back from a real X11 window under Xvfb.
#include "tests/mci/engine_fixture.h"
#include "tests/mci/x_picture.h"

#include <array>
#include <cstdio>

namespace zelko::mci::test {
namespace {

constexpr unsigned long kRed = 0xff0000;
constexpr unsigned long kBlue = 0x0000ff;
constexpr unsigned long kYellow = 0xffff00;
constexpr unsigned long kCyan = 0x00ffff;
constexpr unsigned long kGrey = 0xb4b4b4;

struct Turned {
    const char* file;
    int width;  // as shown
    int height;
    // The clip's corner boxes as shown: top left, top right, bottom left, bottom right. Stored,
    // they are red, blue, yellow and cyan (scripts/make-clips); ffmpeg's rotate=90 turns the
    // picture a quarter counterclockwise, as ffmpeg itself shows it.
    std::array<unsigned long, 4> corners;
};

const Turned kTurned[] = {
    {"turn-0.mp4", 320, 240, {kRed, kBlue, kYellow, kCyan}},
    {"turn-90.mp4", 240, 320, {kBlue, kCyan, kRed, kYellow}},
    {"turn-180.mp4", 320, 240, {kCyan, kYellow, kBlue, kRed}},
    {"turn-270.mp4", 240, 320, {kYellow, kRed, kCyan, kBlue}},
    {"turn-mirror.mp4", 320, 240, {kBlue, kRed, kCyan, kYellow}},
    {"par-wide.mp4", 320, 240, {kRed, kBlue, kYellow, kCyan}},
    {"par-wide-90.mp4", 240, 320, {kBlue, kCyan, kRed, kYellow}},
};

TEST_F(EngineTest, PicturesShowTurnedAndShapedAsTheirFilesSay)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "needs an X server (DISPLAY)";
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 320, 320, 0,
                                              BlackPixel(display, 0), BlackPixel(display, 0));
    XMapWindow(display, window);
    XSync(display, False);
    for (const Turned& turned : kTurned) {
        SCOPED_TRACE(turned.file);
        const std::string shown = "0 0 " + std::to_string(turned.width) + " " + std::to_string(turned.height);
        ASSERT_EQ(code("open " + clip(turned.file) + " alias movie parent " + std::to_string(window)), 0u);
        EXPECT_EQ(reply("where movie source"), shown);
        EXPECT_EQ(reply("where movie destination"), shown);
        ASSERT_EQ(code("play movie"), 0u);
        // 8 pixels in from each corner of the picture lies inside its corner box, whichever way
        // the box was turned; the middle is the grey ground, and outside the picture is black.
        const int right = turned.width - 9;
        const int bottom = turned.height - 9;
        const std::array<std::array<int, 2>, 4> at{{{8, 8}, {right, 8}, {8, bottom}, {right, bottom}}};
        std::string seen;
        const bool shownRight = waitUntil([&] {
            code("status movie mode");
            seen = "seen:";
            bool all = near(pixel(display, window, turned.width / 2, turned.height / 2), kGrey);
            for (size_t i = 0; i < at.size(); ++i) {
                const unsigned long rgb = pixel(display, window, at[i][0], at[i][1]);
                char text[8];
                std::snprintf(text, sizeof text, " %06lx", rgb);
                seen += text;
                all = all && near(rgb, turned.corners[i]);
            }
            return all;
        });
        EXPECT_TRUE(shownRight) << seen;
        if (turned.width < 320) {
            EXPECT_TRUE(near(pixel(display, window, turned.width + 4, turned.height / 2), 0));
        }
        if (turned.height < 320) {
            EXPECT_TRUE(near(pixel(display, window, turned.width / 2, turned.height + 4), 0));
        }
        ASSERT_EQ(code("close movie"), 0u);
    }
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

}  // namespace
}  // namespace zelko::mci::test
