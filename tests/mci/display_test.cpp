// SPDX-License-Identifier: GPL-3.0-or-later
// The video is drawn inside a real X11 window given as the parent, where it is placed, and the
// window's mouse events stay free for its owner. Runs under Xvfb (no XVideo: plain X images).
#include "tests/mci/engine_fixture.h"
#include "tests/mci/x_picture.h"

#include <array>
#include <poll.h>
#include <vector>
#include <cstdio>

namespace zelko::mci::test {
namespace {

// The SMPTE bars of the test clips as 0xRRGGBB, left to right, in the top two thirds of the picture.
constexpr std::array<unsigned long, 7> kBars{0xffffff, 0xffff00, 0x00ffff, 0x00ff00, 0xff00ff, 0xff0000, 0x0000ff};

int g_xErrors = 0;
int countXError(Display*, XErrorEvent*)
{
    return ++g_xErrors, 0;
}

// Whoever waits for the engine between commands (the engine host, which answers the window's
// timers from a published page and so may hear from it for seconds on end) is woken when the
// parent window is resized or uncovered, so the picture is placed and drawn again then, and
// sleeps again once the engine has read what the server told.
TEST_F(EngineTest, AResizedOrUncoveredParentWakesWhoeverWaitsBetweenCommands)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "needs an X server (DISPLAY)";
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 160, 120, 0,
                                              BlackPixel(display, 0), BlackPixel(display, 0));
    XMapWindow(display, window);
    XSync(display, False);
    ASSERT_EQ(code("open " + clip("video.mpg") + " alias movie parent " + std::to_string(window)), 0u);
    ASSERT_EQ(code("pause movie"), 0u);
    const auto woken = [this](int timeoutMs) {
        std::vector<pollfd> waits;
        for (const int fd : m_engine.changeFds()) {
            waits.push_back({fd, POLLIN, 0});
        }
        return ::poll(waits.data(), waits.size(), timeoutMs) > 0;
    };
    // Quiet once what came so far has been read.
    ASSERT_TRUE(waitUntil([&] {
        m_engine.drain();
        return !woken(200);
    }));
    XResizeWindow(display, window, 320, 240);
    XSync(display, False);
    EXPECT_TRUE(woken(platform::timeLimit(5000)));
    m_engine.drain();
    EXPECT_EQ(reply("where movie destination"), "0 0 320 240");
    EXPECT_TRUE(waitUntil([&] {
        m_engine.drain();
        return !woken(200);
    }));
    // Covered and uncovered: the server clears the window, and says so.
    const Window cover = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 320, 240, 0,
                                             WhitePixel(display, 0), WhitePixel(display, 0));
    XMapRaised(display, cover);
    XSync(display, False);
    XDestroyWindow(display, cover);
    XSync(display, False);
    EXPECT_TRUE(woken(platform::timeLimit(5000)));
    m_engine.drain();
    ASSERT_EQ(code("close movie"), 0u);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

TEST_F(EngineTest, DrawsThePictureInTheParentWindowWherePut)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "needs an X server (DISPLAY)";
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 320, 240, 0,
                                              BlackPixel(display, 0), BlackPixel(display, 0));
    XMapWindow(display, window);
    XSync(display, False);
    // Waits until the bars show at their places in the rectangle; `seen` keeps what was there.
    std::string seen;
    // Each look also sends a command: the device notices a resized parent when it is called.
    auto barsShown = [&](int x, int y, int width, int height) {
        return waitUntil([&] {
            code("status movie mode");
            seen = "seen:";
            bool all = true;
            for (size_t i = 0; i < kBars.size(); ++i) {
                const int px = x + int((i + 0.5) * width / kBars.size());
                const unsigned long rgb = pixel(display, window, px, y + height / 4);
                char text[8];
                std::snprintf(text, sizeof text, " %06lx", rgb);
                seen += text;
                all = all && near(rgb, kBars[i]);
            }
            return all;
        });
    };
    ASSERT_TRUE(near(pixel(display, window, 30, 60), 0));
    const std::string parent = " parent " + std::to_string(window);
    ASSERT_EQ(code("open " + clip("video.mpg") + " type MPEGVideo alias movie style 1073741824" + parent), 0u);
    EXPECT_EQ(reply("where movie destination"), "0 0 320 240");
    ASSERT_EQ(code("play movie"), 0u);
    EXPECT_TRUE(barsShown(0, 0, 320, 240)) << seen;
    // Only one client may select button presses on a window: that must still be us.
    XErrorHandler previous = XSetErrorHandler(countXError);
    XSelectInput(display, window, ButtonPressMask | ButtonReleaseMask);
    XSync(display, False);
    XSetErrorHandler(previous);
    EXPECT_EQ(g_xErrors, 0);
    // Placed and sized, then moved while playing; the rest of the window is black.
    ASSERT_EQ(code("put movie window at 0 0 160 120"), 0u);
    EXPECT_EQ(reply("where movie destination"), "0 0 160 120");
    ASSERT_EQ(code("play movie from 0"), 0u);
    EXPECT_TRUE(barsShown(0, 0, 160, 120)) << seen;
    ASSERT_EQ(code("put movie window at 120 90 160 120"), 0u);
    EXPECT_EQ(reply("where movie destination"), "120 90 160 120");
    EXPECT_TRUE(barsShown(120, 90, 160, 120) && near(pixel(display, window, 20, 20), 0)) << seen;
    // Moved at the end, the last picture shows at its new place: the seek that draws it again
    // lands past the end of a program stream, where mpegpsdemux finds no picture.
    ASSERT_EQ(code("play movie wait"), 0u);
    ASSERT_EQ(code("put movie window at 0 0 160 120"), 0u);
    EXPECT_TRUE(barsShown(0, 0, 160, 120) && near(pixel(display, window, 200, 150), 0)) << seen;
    ASSERT_EQ(code("close movie"), 0u);

    // The owner sizes its window after the open, as the player grows its picture box to the
    // video: the whole picture follows the window, not the size it had at the open.
    XResizeWindow(display, window, 100, 80);
    XSync(display, False);
    ASSERT_EQ(code("open " + clip("video.mpg") + " alias movie" + parent), 0u);
    XResizeWindow(display, window, 320, 240);
    XSync(display, False);
    ASSERT_EQ(code("play movie"), 0u);
    EXPECT_TRUE(barsShown(0, 0, 320, 240)) << seen;
    ASSERT_EQ(code("close movie"), 0u);

    // A handle that names no window any more plays without a picture instead of ending the process.
    XDestroyWindow(display, window);
    XSync(display, False);
    ASSERT_EQ(code("open " + clip("video.mpg") + " alias gone" + parent), 0u);
    ASSERT_EQ(code("play gone from 1500 wait"), 0u);
    EXPECT_EQ(reply("status gone mode"), "stopped");
    XCloseDisplay(display);
}

}  // namespace
}  // namespace zelko::mci::test
