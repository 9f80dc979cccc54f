// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x_display.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace zelko::platform {

namespace {

constexpr const char* kNeeds = "Zelko Player needs an X11 server or XWayland";

const char* connectionFailure(int error)
{
    switch (error) {
    case XCB_CONN_CLOSED_PARSE_ERR: return "not a display name";
    case XCB_CONN_CLOSED_INVALID_SCREEN: return "the server has no such screen";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT: return "out of memory";
    case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
    case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
    case XCB_CONN_CLOSED_FDPASSING_FAILED: return "the connection failed";
    default: break;
    }
    return "no X server there accepts a connection";
}

std::string nonEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::string xDisplayProblem()
{
    const std::string display = nonEmpty("DISPLAY");
    if (display.empty()) {
        const std::string wayland = nonEmpty("WAYLAND_DISPLAY");
        if (!wayland.empty()) {
            return "no X display to open: DISPLAY is not set, so this Wayland session (" + wayland +
                   ") runs no XWayland; " + kNeeds;
        }
        return std::string("no X display to open: DISPLAY is not set; ") + kNeeds;
    }
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display.c_str(), &screen);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error == 0) {
        return {};
    }
    return "cannot open the X display \"" + display + "\" (" + connectionFailure(error) + "); " + kNeeds;
}

}  // namespace zelko::platform
