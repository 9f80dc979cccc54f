// SPDX-License-Identifier: GPL-3.0-or-later
// The engine host's stand-ins for System V shared memory, linked into this test as into the
// host: a segment lives as System V's do, and an X image in one reaches a real X window the
// way GStreamer's X image sink puts it there (XShmCreateImage, shmget, shmat, XShmAttach,
// XShmPutImage), the server reading it through the descriptor it was handed.
#include <gtest/gtest.h>

#include "platform/mci_host/shared_images.h"
#include "tests/mci/x_picture.h"

#include <X11/extensions/XShm.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/shm.h>

namespace zelko::mci {
namespace {

bool mapsAnImage()
{
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        if (line.find("/memfd:zelko-x-image") != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(SharedImages, ASegmentLivesUntilItIsBothRemovedAndUnmapped)
{
    EXPECT_EQ(shmget(1234, 4096, IPC_CREAT | 0600), -1);
    EXPECT_EQ(errno, EPERM) << "a segment by key is refused, as the host's filter refuses it";
    EXPECT_EQ(shmget(IPC_PRIVATE, 0, IPC_CREAT | 0600), -1);

    const int id = shmget(IPC_PRIVATE, 4096, IPC_CREAT | 0777);
    ASSERT_GE(id, 0);
    auto* bytes = static_cast<char*>(shmat(id, nullptr, 0));
    ASSERT_NE(bytes, reinterpret_cast<void*>(-1));
    std::memcpy(bytes, "picture", 8);
    auto* again = static_cast<const char*>(shmat(id, nullptr, SHM_RDONLY));
    ASSERT_NE(again, reinterpret_cast<void*>(-1));
    EXPECT_STREQ(again, "picture") << "two mappings of one segment share its bytes";
    EXPECT_TRUE(mapsAnImage());

    shmid_ds facts{};
    ASSERT_EQ(shmctl(id, IPC_STAT, &facts), 0);
    EXPECT_EQ(facts.shm_segsz, 4096u);
    EXPECT_EQ(facts.shm_nattch, 2u);
    ASSERT_EQ(shmctl(id, IPC_RMID, nullptr), 0);
    EXPECT_EQ(images::segmentCount(), 1) << "removed, but still mapped";
    EXPECT_EQ(shmdt(bytes), 0);
    EXPECT_STREQ(again, "picture");
    EXPECT_EQ(shmdt(again), 0);
    EXPECT_EQ(images::segmentCount(), 0);
    EXPECT_EQ(shmdt(again), -1);
    EXPECT_EQ(shmat(id, nullptr, 0), reinterpret_cast<void*>(-1));
}

int g_xErrors = 0;
int countXError(Display*, XErrorEvent*)
{
    return ++g_xErrors, 0;
}

TEST(SharedImages, TheXServerDrawsAPictureFromASharedSegment)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "needs an X server (DISPLAY)";
    ASSERT_TRUE(XShmQueryExtension(display));
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 64, 48, 0,
                                              BlackPixel(display, screen), BlackPixel(display, screen));
    XMapWindow(display, window);
    XSync(display, False);
    XErrorHandler previous = XSetErrorHandler(countXError);

    XShmSegmentInfo info{};
    XImage* image = XShmCreateImage(display, DefaultVisual(display, screen), DefaultDepth(display, screen), ZPixmap,
                                    nullptr, &info, 64, 48);
    ASSERT_NE(image, nullptr);
    info.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height, IPC_CREAT | 0777);
    info.shmaddr = static_cast<char*>(shmat(info.shmid, nullptr, 0));
    image->data = info.shmaddr;
    info.readOnly = False;
    ASSERT_NE(XShmAttach(display, &info), 0);
    XSync(display, False);
    shmctl(info.shmid, IPC_RMID, nullptr);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            XPutPixel(image, x, y, x < 32 ? 0xff0000 : 0x0000ff);
        }
    }
    const GC gc = XCreateGC(display, window, 0, nullptr);
    XShmPutImage(display, window, gc, image, 0, 0, 0, 0, 64, 48, False);
    XSync(display, False);
    EXPECT_EQ(g_xErrors, 0);
    EXPECT_TRUE(test::near(test::pixel(display, window, 10, 20), 0xff0000));
    EXPECT_TRUE(test::near(test::pixel(display, window, 50, 20), 0x0000ff));

    XShmDetach(display, &info);
    XSync(display, False);
    EXPECT_EQ(g_xErrors, 0);
    shmdt(info.shmaddr);
    EXPECT_EQ(images::segmentCount(), 0);
    XSetErrorHandler(previous);
    image->data = nullptr;
    XDestroyImage(image);
    XFreeGC(display, gc);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

}  // namespace
}  // namespace zelko::mci
