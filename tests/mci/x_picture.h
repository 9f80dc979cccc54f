// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

namespace zelko::mci::test {

// Colours as 0xRRGGBB, near when no channel differs by 48 or more.
inline bool near(unsigned long a, unsigned long b)
{
    const auto differs = [&](int shift) { return std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)) >= 48; };
    return !differs(0) && !differs(8) && !differs(16);
}

// The colour at x, y as 0xRRGGBB (24-bit TrueColor, as Xvfb runs here); grey when unreadable.
inline unsigned long pixel(Display* display, Window window, int x, int y)
{
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return 0x808080;
    }
    const unsigned long value = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return value;
}

}  // namespace zelko::mci::test
