#include "platform/mci/window_geometry.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace zelko::mci {

bool windowSize(std::uintptr_t window, int& width, int& height)
{
    // xcb reports a bad handle in the reply, where Xlib would call the process's error handler.
    const char* display = std::getenv("DISPLAY");
    if (window == 0 || display == nullptr || *display == '\0') {
        return false;
    }
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(nullptr, nullptr),
                                                                          xcb_disconnect);
    if (xcb_connection_has_error(connection.get()) != 0) {
        return false;
    }
    xcb_generic_error_t* error = nullptr;
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> reply(
        xcb_get_geometry_reply(connection.get(),
                               xcb_get_geometry(connection.get(), static_cast<xcb_drawable_t>(window)),
                               &error),
        std::free);
    std::free(error);
    if (!reply) {
        return false;
    }
    width = reply->width;
    height = reply->height;
    return true;
}

}  // namespace zelko::mci
