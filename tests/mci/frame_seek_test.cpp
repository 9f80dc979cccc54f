// SPDX-License-Identifier: GPL-3.0-or-later
// A seek shows the frame it was sent to, within one, in every container of today's video
// kinds; 10-bit pictures show; a file's subtitle track is never drawn over the picture. The
// clips count their frames in binary in their bottom third (scripts/make-clips), read back from
// a real X11 window under Xvfb.
#include "tests/mci/engine_fixture.h"
#include "tests/mci/x_picture.h"

#include <cstdlib>

namespace zelko::mci::test {
namespace {

struct VideoKind {
    const char* file;
    // When the first frame shows: ffmpeg puts the pictures of Matroska, WebM and ASF after the
    // sound's encoder delay (Opus 7 ms, AAC 23 ms, WMA 46 ms), as ffprobe reads them too.
    int firstFrameMs;
};

const VideoKind kVideoKinds[] = {
    {"kind-mp4.mp4", 0},  {"kind-m4v.m4v", 0},     {"kind-mov.mov", 0},        {"kind-3gp.3gp", 0},
    {"kind-av1.mkv", 7},  {"kind-hevc10.mkv", 23}, {"kind-vp9.webm", 7},       {"kind-theora.ogv", 0},
    {"kind-wmv.wmv", 46}, {"kind-asf.asf", 46},    {"kind-subtitles.mkv", 23},
};
constexpr int kFrameMs = 40;  // 25 frames a second

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// The frame the picture's bottom third counts (six boxes, white or black as its number's bits,
// the most significant at the left), or -1 while a box is not all white or all black, every
// pixel of it but its edges: a subtitle drawn over them breaks that.
int shownFrame(Display* display, Window window)
{
    constexpr int kBits = 6;
    constexpr int kBoxWidth = kWidth / kBits;
    constexpr int kTop = kHeight * 2 / 3;
    constexpr int kEdge = 3;  // where the scaler blends a box with its neighbour
    XImage* band = XGetImage(display, window, 0, kTop, kWidth, kHeight - kTop, AllPlanes, ZPixmap);
    if (band == nullptr) {
        return -1;
    }
    int frame = 0;
    for (int bit = 0; bit < kBits && frame >= 0; ++bit) {
        int white = 0;
        int other = 0;
        for (int y = kEdge; y < kHeight - kTop - kEdge; ++y) {
            for (int x = bit * kBoxWidth + kEdge; x < (bit + 1) * kBoxWidth - kEdge; ++x) {
                const unsigned long rgb = XGetPixel(band, x, y) & 0xffffff;
                white += near(rgb, 0xffffff) ? 1 : 0;
                other += near(rgb, 0xffffff) || near(rgb, 0) ? 0 : 1;
            }
        }
        const bool mixed =
            other != 0 || (white != 0 && white != (kHeight - kTop - 2 * kEdge) * (kBoxWidth - 2 * kEdge));
        frame = mixed ? -1 : frame * 2 + (white != 0 ? 1 : 0);
    }
    XDestroyImage(band);
    return frame;
}

TEST_F(EngineTest, ASeekShowsTheFrameItWasSentTo)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "needs an X server (DISPLAY)";
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0,
                                              BlackPixel(display, 0), BlackPixel(display, 0));
    XMapWindow(display, window);
    XSync(display, False);
    for (const VideoKind& kind : kVideoKinds) {
        SCOPED_TRACE(kind.file);
        ASSERT_EQ(code("open " + clip(kind.file) + " alias movie parent " + std::to_string(window)), 0u);
        int seen = -1;
        // The frame on show at `ms`: the last that starts at or before it.
        const auto showsFrameAt = [&](int ms) {
            const int frame = (ms - kind.firstFrameMs) / kFrameMs;
            return waitUntil([&] {
                code("status movie mode");
                seen = shownFrame(display, window);
                return std::abs(seen - frame) <= 1;
            });
        };
        ASSERT_EQ(code("seek movie to 1000"), 0u);
        EXPECT_TRUE(showsFrameAt(1000)) << "shows frame " << seen;
        // Frames count at the frame rate: frame 40 is 1600 ms.
        ASSERT_EQ(code("set movie time format frames"), 0u);
        ASSERT_EQ(code("seek movie to 40"), 0u);
        EXPECT_TRUE(showsFrameAt(1600)) << "shows frame " << seen;
        // A range ends on the last frame that starts before its end.
        ASSERT_EQ(code("play movie from 10 to 30 wait"), 0u);
        EXPECT_TRUE(showsFrameAt(1200 - 1)) << "shows frame " << seen;
        ASSERT_EQ(code("close movie"), 0u);
    }
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

}  // namespace
}  // namespace zelko::mci::test
