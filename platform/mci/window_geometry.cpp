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

namespace zelko::mci {

struct WindowWatch::Connection {
    xcb_connection_t* xcb = nullptr;
    ~Connection()
    {
        if (xcb != nullptr) {
            xcb_disconnect(xcb);
        }
    }
};

std::unique_ptr<WindowWatch> WindowWatch::watch(std::uintptr_t window)
{
    const char* display = std::getenv("DISPLAY");
    if (window == 0 || display == nullptr || *display == '\0') {
        return nullptr;
    }
    auto connection = std::make_unique<Connection>();
    connection->xcb = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection->xcb) != 0) {
        return nullptr;
    }
    const auto drawable = static_cast<xcb_window_t>(window);
    // Each client has its own event mask on a window, so this takes nothing from the owner's.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_void_cookie_t selected =
        xcb_change_window_attributes_checked(connection->xcb, drawable, XCB_CW_EVENT_MASK, &mask);
    std::free(xcb_request_check(connection->xcb, selected));
    xcb_generic_error_t* error = nullptr;
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> reply(
        xcb_get_geometry_reply(connection->xcb, xcb_get_geometry(connection->xcb, drawable), &error),
        std::free);
    std::free(error);
    if (!reply) {
        return nullptr;
    }
    return std::unique_ptr<WindowWatch>(
        new WindowWatch(std::move(connection), window, reply->width, reply->height));
}

WindowWatch::WindowWatch(std::unique_ptr<Connection> connection, std::uintptr_t window, int width, int height)
    : m_connection(std::move(connection)), m_window(window), m_width(width), m_height(height)
{
}

WindowWatch::~WindowWatch() = default;

bool WindowWatch::resized(int& width, int& height)
{
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection->xcb)) {
        if ((event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
            const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            if (configure->window == m_window &&
                (configure->width != m_width || configure->height != m_height)) {
                m_width = configure->width;
                m_height = configure->height;
                changed = true;
            }
        }
        std::free(event);
    }
    width = m_width;
    height = m_height;
    return changed;
}

}  // namespace zelko::mci
