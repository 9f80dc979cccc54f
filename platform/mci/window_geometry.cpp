// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/window_geometry.h"

#include "platform/pixel_ratio_property.h"

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace zelko::mci {

namespace {

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

bool hasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

}  // namespace

PixelRect toDevicePixels(const PixelRect& logical, double pixelRatio)
{
    const auto scaled = [pixelRatio](int value) { return static_cast<int>(std::lround(value * pixelRatio)); };
    return {scaled(logical.x), scaled(logical.y), scaled(logical.width), scaled(logical.height)};
}

bool windowSize(std::uintptr_t window, int& width, int& height)
{
    // xcb reports a bad handle in the reply, where Xlib would call the process's error handler.
    if (window == 0 || !hasDisplay()) {
        return false;
    }
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(nullptr, nullptr),
                                                                            xcb_disconnect);
    if (xcb_connection_has_error(connection.get()) != 0) {
        return false;
    }
    xcb_generic_error_t* error = nullptr;
    ReplyPtr<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(connection.get(),
                               xcb_get_geometry(connection.get(), static_cast<xcb_drawable_t>(window)), &error),
        std::free);
    std::free(error);
    if (!reply) {
        return false;
    }
    width = reply->width;
    height = reply->height;
    return true;
}

struct WindowWatch::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_atom_t pixelRatio = XCB_ATOM_NONE;
    ~Connection()
    {
        if (xcb != nullptr) {
            xcb_disconnect(xcb);
        }
    }
};

std::unique_ptr<WindowWatch> WindowWatch::watch(std::uintptr_t window)
{
    if (window == 0 || !hasDisplay()) {
        return nullptr;
    }
    auto connection = std::make_unique<Connection>();
    connection->xcb = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection->xcb) != 0) {
        return nullptr;
    }
    const auto drawable = static_cast<xcb_window_t>(window);
    // Each client has its own event mask on a window, so this takes nothing from the owner's.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_void_cookie_t selected =
        xcb_change_window_attributes_checked(connection->xcb, drawable, XCB_CW_EVENT_MASK, &mask);
    std::free(xcb_request_check(connection->xcb, selected));
    const char* name = platform::kPixelRatioProperty;
    ReplyPtr<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection->xcb,
                              xcb_intern_atom(connection->xcb, 0, static_cast<uint16_t>(std::strlen(name)), name),
                              nullptr),
        std::free);
    connection->pixelRatio = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
    xcb_generic_error_t* error = nullptr;
    ReplyPtr<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(connection->xcb, xcb_get_geometry(connection->xcb, drawable), &error), std::free);
    std::free(error);
    if (!reply) {
        return nullptr;
    }
    std::unique_ptr<WindowWatch> watch(new WindowWatch(std::move(connection), window, reply->width, reply->height));
    watch->m_pixelRatio = watch->readPixelRatio();
    return watch;
}

WindowWatch::WindowWatch(std::unique_ptr<Connection> connection, std::uintptr_t window, int width, int height)
    : m_connection(std::move(connection)), m_window(window), m_width(width), m_height(height)
{
}

WindowWatch::~WindowWatch() = default;

double WindowWatch::readPixelRatio() const
{
    if (m_connection->pixelRatio == XCB_ATOM_NONE) {
        return 1.0;
    }
    xcb_connection_t* xcb = m_connection->xcb;
    ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(xcb,
                               xcb_get_property(xcb, 0, static_cast<xcb_window_t>(m_window), m_connection->pixelRatio,
                                                XCB_ATOM_CARDINAL, 0, 1),
                               nullptr),
        std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return 1.0;
    }
    uint32_t thousandths = 0;
    std::memcpy(&thousandths, xcb_get_property_value(reply.get()), sizeof thousandths);
    return thousandths > 0 ? static_cast<double>(thousandths) / platform::kPixelRatioUnit : 1.0;
}

WindowChanges WindowWatch::poll()
{
    WindowChanges changes;
    for (;;) {
        bool ratioChanged = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection->xcb)) {
            switch (event->response_type & 0x7f) {
            case XCB_CONFIGURE_NOTIFY: {
                const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
                if (configure->window == m_window && (configure->width != m_width || configure->height != m_height)) {
                    m_width = configure->width;
                    m_height = configure->height;
                    changes.resized = true;
                }
                break;
            }
            case XCB_EXPOSE: changes.exposed = true; break;
            case XCB_PROPERTY_NOTIFY:
                ratioChanged = ratioChanged || reinterpret_cast<const xcb_property_notify_event_t*>(event)->atom ==
                                                   m_connection->pixelRatio;
                break;
            default: break;
            }
            std::free(event);
        }
        if (!ratioChanged) {
            return changes;
        }
        // A round trip: what the server sends meanwhile waits in the connection's queue, where
        // the descriptor does not show it, so the loop reads on until that queue is empty.
        const double ratio = readPixelRatio();
        changes.resized = changes.resized || ratio != m_pixelRatio;
        m_pixelRatio = ratio;
    }
}

int WindowWatch::fd() const
{
    return xcb_connection_has_error(m_connection->xcb) != 0 ? -1 : xcb_get_file_descriptor(m_connection->xcb);
}

}  // namespace zelko::mci
