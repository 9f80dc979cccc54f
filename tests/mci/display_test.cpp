// The video is drawn inside a real X11 window given as the parent, where it is placed, and the
// window's mouse events stay free for its owner. Runs under Xvfb (no XVideo: plain X images).
#include "tests/mci/engine_fixture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>

namespace zelko::mci::test {
namespace {

struct Rgb {
    int r, g, b;
};

// The SMPTE bars of the test clips, left to right, in the top two thirds of the picture.
constexpr std::array<Rgb, 7> kBars{{{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                    {255, 0, 255}, {255, 0, 0}, {0, 0, 255}}};

bool near(const Rgb& a, const Rgb& b)
{
    return std::abs(a.r - b.r) < 48 && std::abs(a.g - b.g) < 48 && std::abs(a.b - b.b) < 48;
}

int g_xErrors = 0;
int countXError(Display*, XErrorEvent*)
{
    ++g_xErrors;
    return 0;
}

class DisplayTest : public EngineTest {
protected:
    // One connection for the whole suite: a bare X server resets when its last client leaves,
    // and a test starting during that reset could not connect.
    static void SetUpTestSuite() { s_display = XOpenDisplay(nullptr); }
    static void TearDownTestSuite()
    {
        if (s_display != nullptr) {
            XCloseDisplay(s_display);
            s_display = nullptr;
        }
    }

    void SetUp() override
    {
        m_display = s_display;
        ASSERT_NE(m_display, nullptr) << "needs an X server (DISPLAY)";
        const int screen = DefaultScreen(m_display);
        m_window = XCreateSimpleWindow(m_display, RootWindow(m_display, screen), 0, 0, 320, 240, 0,
                                       BlackPixel(m_display, screen), BlackPixel(m_display, screen));
        XMapWindow(m_display, m_window);
        XSync(m_display, False);
    }
    void TearDown() override
    {
        send("close all");
        if (m_display != nullptr) {
            XDestroyWindow(m_display, m_window);
            XSync(m_display, False);
        }
    }

    Rgb pixel(int x, int y)
    {
        XImage* image = XGetImage(m_display, m_window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return {-1, -1, -1};
        }
        const unsigned long value = XGetPixel(image, 0, 0);
        const Rgb rgb{static_cast<int>((value & image->red_mask) >> 16),
                      static_cast<int>((value & image->green_mask) >> 8),
                      static_cast<int>(value & image->blue_mask)};
        XDestroyImage(image);
        return rgb;
    }

    // True when the bars show at their places inside the rectangle x, y, width, height.
    bool barsShown(int x, int y, int width, int height)
    {
        for (size_t i = 0; i < kBars.size(); ++i) {
            const int px = x + static_cast<int>((i + 0.5) * width / kBars.size());
            if (!near(pixel(px, y + height / 4), kBars[i])) {
                return false;
            }
        }
        return true;
    }

    std::string describe(int x, int y, int width, int height)
    {
        std::string text = "seen:";
        for (size_t i = 0; i < kBars.size(); ++i) {
            const Rgb seen = pixel(x + static_cast<int>((i + 0.5) * width / kBars.size()), y + height / 4);
            text += " " + std::to_string(seen.r) + "," + std::to_string(seen.g) + "," + std::to_string(seen.b);
        }
        return text;
    }

    static inline Display* s_display = nullptr;
    Display* m_display = nullptr;
    Window m_window = 0;
};

TEST_F(DisplayTest, DrawsTheVideoInsideTheParentWindow)
{
    ASSERT_TRUE(near(pixel(30, 60), {0, 0, 0}));
    ASSERT_EQ(code("open " + clip("video.mpg") + " type MPEGVideo alias movie parent " +
                   std::to_string(m_window) + " style 1073741824"),
              0u);
    EXPECT_EQ(send("where movie destination").reply, "0 0 320 240");
    ASSERT_EQ(code("play movie"), 0u);
    EXPECT_TRUE(waitUntil([&] { return barsShown(0, 0, 320, 240); })) << describe(0, 0, 320, 240);
    ASSERT_TRUE(waitUntil([&] { return send("status movie mode").reply == "stopped"; }));
}

TEST_F(DisplayTest, PutWindowPlacesAndSizesTheVideo)
{
    ASSERT_EQ(code("open " + clip("video.avi") + " alias movie parent " + std::to_string(m_window)), 0u);
    ASSERT_EQ(code("put movie window at 0 0 160 120"), 0u);
    EXPECT_EQ(send("where movie destination").reply, "0 0 160 120");
    ASSERT_EQ(code("play movie"), 0u);
    EXPECT_TRUE(waitUntil([&] { return barsShown(0, 0, 160, 120); })) << describe(0, 0, 160, 120);
    // Moved while playing; the rest of the window is black.
    ASSERT_EQ(code("put movie window at 120 90 160 120"), 0u);
    EXPECT_EQ(send("where movie destination").reply, "120 90 160 120");
    EXPECT_TRUE(waitUntil([&] { return barsShown(120, 90, 160, 120) && near(pixel(20, 20), {0, 0, 0}); }))
        << describe(120, 90, 160, 120);
}

TEST_F(DisplayTest, LeavesTheWindowsMouseEventsToItsOwner)
{
    ASSERT_EQ(code("open " + clip("video.mpg") + " alias movie parent " + std::to_string(m_window)), 0u);
    ASSERT_EQ(code("play movie"), 0u);
    ASSERT_TRUE(waitUntil([&] { return barsShown(0, 0, 320, 240); }));
    // Only one client may select button presses on a window: that must still be us.
    g_xErrors = 0;
    XErrorHandler previous = XSetErrorHandler(countXError);
    XSelectInput(m_display, m_window, ButtonPressMask | ButtonReleaseMask);
    XSync(m_display, False);
    XSetErrorHandler(previous);
    EXPECT_EQ(g_xErrors, 0);
}

TEST_F(DisplayTest, ParentThatNamesNoWindowPlaysWithoutPicture)
{
    // A window that existed a moment ago: its handle now names nothing.
    const Window gone = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(m_display, gone);
    XSync(m_display, False);
    ASSERT_EQ(code("open " + clip("video.mpg") + " alias movie parent " + std::to_string(gone)), 0u);
    ASSERT_EQ(code("play movie from 1500 wait"), 0u);
    EXPECT_EQ(send("status movie mode").reply, "stopped");
}

TEST_F(DisplayTest, PlaysWithoutAParentInRealTime)
{
    ASSERT_EQ(code("open " + clip("video.vob") + " alias movie"), 0u);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(code("play movie wait"), 0u);
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_TRUE(near(pixel(30, 60), {0, 0, 0}));
}

}  // namespace
}  // namespace zelko::mci::test
