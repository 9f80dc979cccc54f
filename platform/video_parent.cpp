// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/video_parent.h"

#include "platform/pixel_ratio_property.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace zelko::platform {

namespace {

// Qt's own connection, so these requests reach the server after the ones that created the
// window. Only Qt's X11 platform hands out a usable one (offscreen may answer too).
xcb_connection_t* qtConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

void prepareVideoParent(std::uintptr_t window, double devicePixelRatio)
{
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr || window == 0) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window);
    // Pixel 0 is black in every true-colour visual Qt picks for its windows.
    const uint32_t blackPixel = 0;
    xcb_change_window_attributes(connection, id, XCB_CW_BACK_PIXEL, &blackPixel);
    xcb_clear_area(connection, 0, id, 0, 0, 0, 0);
    static const xcb_atom_t ratioAtom = internAtom(connection, kPixelRatioProperty);
    const auto thousandths = static_cast<uint32_t>(std::lround(devicePixelRatio * kPixelRatioUnit));
    if (ratioAtom != XCB_ATOM_NONE && thousandths > 0) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, ratioAtom, XCB_ATOM_CARDINAL, 32, 1, &thousandths);
    }
    xcb_flush(connection);
}

}  // namespace zelko::platform
