// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/strip/frame_strip.h"

#include "platform/strip/timed_copies.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <X11/Xlib.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace zelko::platform {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> Reply<T> owned(T* reply)
{
    return Reply<T>(reply, std::free);
}

xcb_connection_t* connectionOf(void* connection)
{
    return static_cast<xcb_connection_t*>(connection);
}

// Qt's connection, so the strip's requests reach the server after the ones that made the
// window it lies on, and its events come through Qt's event loop. Only Qt's X11 platform has one.
const QNativeInterface::QX11Application* qtX11()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr && x11->connection() != nullptr ? x11 : nullptr;
}

const xcb_visualtype_t* visualOf(const xcb_setup_t* setup, xcb_visualid_t id)
{
    for (auto screens = xcb_setup_roots_iterator(setup); screens.rem; xcb_screen_next(&screens)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem; xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals)) {
                if (visuals.data->visual_id == id) {
                    return visuals.data;
                }
            }
        }
    }
    return nullptr;
}

// The strip keeps the frames exactly as drawn, so the window's pixels must be 32-bit words of
// 8-bit red, green and blue (and alpha at depth 32), as they are on every true-colour screen.
bool keepsRgbWords(const xcb_setup_t* setup, uint8_t depth, xcb_visualid_t visual)
{
    const xcb_visualtype_t* type = visualOf(setup, visual);
    if (type == nullptr || type->_class != XCB_VISUAL_CLASS_TRUE_COLOR || type->red_mask != 0xff0000u ||
        type->green_mask != 0xff00u || type->blue_mask != 0xffu || (depth != 24 && depth != 32)) {
        return false;
    }
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem; xcb_format_next(&formats)) {
        if (formats.data->depth == depth) {
            return formats.data->bits_per_pixel == 32 && formats.data->scanline_pad == 32;
        }
    }
    return false;
}

bool failed(xcb_connection_t* connection, xcb_void_cookie_t cookie)
{
    return owned(xcb_request_check(connection, cookie)) != nullptr;
}

// The strip's own window, over `area` of `top` (in its pixels), made in `parent`, where the server
// has placed that window; none when the server refuses it.
xcb_window_t stripWindow(xcb_connection_t* connection, xcb_window_t parent, xcb_window_t top,
                         const FrameStrip::Rect& area, uint8_t depth, xcb_visualid_t visual)
{
    int16_t x = static_cast<int16_t>(area.x);
    int16_t y = static_cast<int16_t>(area.y);
    if (parent != top) {
        const auto inParent = owned(xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, top, parent, x, y), nullptr));
        if (!inParent || !inParent->same_screen) {
            return XCB_WINDOW_NONE;
        }
        x = inParent->dst_x;
        y = inParent->dst_y;
    }
    // No background: the server leaves what showed until the strip's first frame covers it.
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_VISIBILITY_CHANGE};
    if (failed(connection,
               xcb_create_window_checked(connection, depth, window, parent, x, y, static_cast<uint16_t>(area.width),
                                         static_cast<uint16_t>(area.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                                         XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values))) {
        return XCB_WINDOW_NONE;
    }
    // Below the other children of the window it lies on (a video area over it covers it), and out
    // of the pointer's way: presses, moves and crossings go to the window underneath as before.
    const uint32_t bottom = XCB_STACK_MODE_BELOW;
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &bottom);
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (shape != nullptr && shape->present) {
        xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, window, 0, 0,
                             0, nullptr);
    }
    return window;
}

}  // namespace

// The strip's events, and its window's mapping, as they pass through Qt's event loop.
class FrameStrip::Events final : public QAbstractNativeEventFilter {
public:
    explicit Events(FrameStrip& strip) : m_strip(strip)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Events() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    Events(const Events&) = delete;
    Events& operator=(const Events&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != QByteArrayLiteral("xcb_generic_event_t")) {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
        case XCB_EXPOSE: {
            const auto* expose = reinterpret_cast<const xcb_expose_event_t*>(event);
            if (expose->window != m_strip.m_window) {
                return false;
            }
            if (expose->count == 0) {
                m_strip.handleExpose();
            }
            return true;
        }
        case XCB_VISIBILITY_NOTIFY: {
            const auto* visibility = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
            if (visibility->window != m_strip.m_window) {
                return false;
            }
            m_strip.handleVisibility(visibility->state);
            return true;
        }
        // Qt needs these too: they are only looked at.
        case XCB_MAP_NOTIFY:
            m_strip.handleMapped(reinterpret_cast<const xcb_map_notify_event_t*>(event)->window, true);
            return false;
        case XCB_UNMAP_NOTIFY:
            m_strip.handleMapped(reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window, false);
            return false;
        default: return false;
        }
    }

private:
    FrameStrip& m_strip;
};

std::unique_ptr<FrameStrip> FrameStrip::create(std::uintptr_t parent, std::uintptr_t top, const Rect& area,
                                               uint32_t backRgb, FrameStrip* previous)
{
    const QNativeInterface::QX11Application* x11 = qtX11();
    if (x11 == nullptr || parent == 0 || top == 0 || area.width <= 0 || area.height <= 0 || area.width > 0x7fff ||
        area.height > 0x7fff) {
        return nullptr;
    }
    xcb_connection_t* connection = x11->connection();
    const auto parentId = static_cast<xcb_window_t>(parent);
    const auto topId = static_cast<xcb_window_t>(top);
    const auto geometry = owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, parentId), nullptr));
    const auto attributes =
        owned(xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, parentId), nullptr));
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (!geometry || !attributes || !keepsRgbWords(setup, geometry->depth, attributes->visual)) {
        return nullptr;
    }
    const uint32_t backPixel = (backRgb & 0xffffffu) | (geometry->depth == 32 ? 0xff000000u : 0u);

    const xcb_window_t window = stripWindow(connection, parentId, topId, area, geometry->depth, attributes->visual);
    if (window == XCB_WINDOW_NONE) {
        return nullptr;
    }
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    const uint32_t gcValues[] = {backPixel, 0};  // no GraphicsExpose events for the copies
    xcb_create_gc(connection, gc, window, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, gcValues);
    xcb_flush(connection);

    const bool swapBytes = setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST;
    const char* display = x11->display() != nullptr ? XDisplayString(x11->display()) : nullptr;
    std::unique_ptr<FrameStrip> strip(
        new FrameStrip(connection, parentId, topId, window, gc, area, geometry->depth, swapBytes, display));
    // Viewable: the window and every one it lies in are mapped.
    strip->m_parentMapped = strip->m_topMapped = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    if (previous != nullptr) {
        strip->m_timed = previous->m_timed;
        strip->m_timedTried = previous->m_timedTried;
    }
    return strip;
}

FrameStrip::FrameStrip(void* connection, uint32_t parent, uint32_t top, uint32_t window, uint32_t gc, const Rect& area,
                       uint8_t depth, bool swapBytes, const char* display)
    : m_connection(connection), m_parent(parent), m_top(top), m_window(window), m_gc(gc), m_area(area), m_depth(depth),
      m_swapBytes(swapBytes), m_display(display != nullptr ? display : ""), m_events(std::make_unique<Events>(*this))
{
}

FrameStrip::~FrameStrip()
{
    m_events.reset();
    xcb_connection_t* connection = connectionOf(m_connection);
    // A connection for timed copies that another strip took over goes on with its own run.
    if (m_timed && m_timed.use_count() == 1) {
        m_timed->drop();
    }
    m_timed.reset();
    for (const unsigned int sequence : m_unchecked) {
        xcb_discard_reply(connection, sequence);
    }
    xcb_destroy_window(connection, m_window);
    for (const Frame& frame : m_frames) {
        if (frame.pixmap != 0) {
            xcb_free_pixmap(connection, frame.pixmap);
        }
    }
    xcb_free_gc(connection, m_gc);
    xcb_flush(connection);
}

bool FrameStrip::addFrame(const Rect& part, const uint32_t* pixels, int strideBytes)
{
    xcb_connection_t* connection = connectionOf(m_connection);
    if (part.width <= 0 || part.height <= 0) {
        m_frames.push_back({0, {}});
        return true;
    }
    if (part.x < 0 || part.y < 0 || part.x + part.width > m_area.width || part.y + part.height > m_area.height ||
        pixels == nullptr) {
        return false;
    }
    // The requests are checked all at once by commit(), so the upload costs no round trip.
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    m_unchecked.push_back(xcb_create_pixmap_checked(connection, m_depth, pixmap, m_window,
                                                    static_cast<uint16_t>(part.width),
                                                    static_cast<uint16_t>(part.height))
                              .sequence);
    // Rows go in requests as large as the server takes.
    const size_t rowBytes = size_t(part.width) * 4;
    const size_t largest = size_t{xcb_get_maximum_request_length(connection)} * 4 - sizeof(xcb_put_image_request_t);
    const int rowsPerRequest = static_cast<int>(std::max<size_t>(1, largest / rowBytes));
    std::vector<uint32_t> rows;
    for (int top = 0; top < part.height; top += rowsPerRequest) {
        const int count = std::min(rowsPerRequest, part.height - top);
        rows.resize(size_t(count) * part.width);
        for (int row = 0; row < count; ++row) {
            const auto* from = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                                 ptrdiff_t(top + row) * strideBytes);
            uint32_t* to = rows.data() + size_t(row) * part.width;
            for (int x = 0; x < part.width; ++x) {
                const uint32_t pixel = m_depth == 32 ? from[x] | 0xff000000u : from[x] & 0xffffffu;
                to[x] = m_swapBytes ? __builtin_bswap32(pixel) : pixel;
            }
        }
        m_unchecked.push_back(xcb_put_image_checked(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, m_gc,
                                                    static_cast<uint16_t>(part.width), static_cast<uint16_t>(count), 0,
                                                    static_cast<int16_t>(top), 0, m_depth,
                                                    static_cast<uint32_t>(rows.size() * 4),
                                                    reinterpret_cast<const uint8_t*>(rows.data()))
                                  .sequence);
    }
    m_frames.push_back({pixmap, part});
    m_bytes += rowBytes * size_t(part.height);
    return true;
}

bool FrameStrip::commit()
{
    xcb_connection_t* connection = connectionOf(m_connection);
    bool taken = true;
    for (const unsigned int sequence : m_unchecked) {
        taken = !failed(connection, xcb_void_cookie_t{sequence}) && taken;
    }
    m_unchecked.clear();
    return taken;
}

void FrameStrip::map()
{
    if (m_mapped) {
        return;
    }
    const bool before = shows();
    xcb_map_window(connectionOf(m_connection), m_window);
    xcb_flush(connectionOf(m_connection));
    m_mapped = true;
    changed(before, false);
}

void FrameStrip::unmap()
{
    if (!m_mapped) {
        return;
    }
    const bool before = shows();
    xcb_unmap_window(connectionOf(m_connection), m_window);
    xcb_flush(connectionOf(m_connection));
    m_mapped = false;
    changed(before, false);
}

bool FrameStrip::shows() const
{
    return m_mapped && m_parentMapped && m_topMapped && !m_covered;
}

void FrameStrip::onChange(std::function<void(bool exposed)> changed)
{
    m_changed = std::move(changed);
}

void FrameStrip::show(int frame, bool whole)
{
    if (frame < 0 || frame >= frameCount()) {
        return;
    }
    xcb_connection_t* connection = connectionOf(m_connection);
    const Frame& shown = m_frames[size_t(frame)];
    if (whole) {
        const xcb_rectangle_t all{0, 0, static_cast<uint16_t>(m_area.width), static_cast<uint16_t>(m_area.height)};
        xcb_poly_fill_rectangle(connection, m_window, m_gc, 1, &all);
    }
    if (shown.pixmap == 0) {
        xcb_flush(connection);
        return;
    }
    xcb_copy_area(connection, shown.pixmap, m_window, m_gc, 0, 0, static_cast<int16_t>(shown.part.x),
                  static_cast<int16_t>(shown.part.y), static_cast<uint16_t>(shown.part.width),
                  static_cast<uint16_t>(shown.part.height));
    xcb_flush(connection);
}

bool FrameStrip::canTime()
{
    if (!m_timed && !m_timedTried) {
        m_timedTried = true;
        m_timed = TimedCopies::open(connectionOf(m_connection), m_display.empty() ? nullptr : m_display.c_str());
    }
    return m_timed != nullptr;
}

int64_t FrameStrip::serverTimeMs()
{
    return canTime() ? m_timed->serverTimeMs() : -1;
}

void FrameStrip::showAt(int frame, int64_t atMs)
{
    if (!m_timed || frame < 0 || frame >= frameCount()) {
        return;
    }
    const Frame& shown = m_frames[size_t(frame)];
    if (shown.pixmap == 0) {
        return;  // the frame before was all back colour too
    }
    m_timed->copyAt(atMs, shown.pixmap, m_window, m_gc, 0, 0, shown.part.x, shown.part.y, shown.part.width,
                    shown.part.height);
}

void FrameStrip::flushTimed()
{
    if (m_timed) {
        m_timed->flush();
    }
}

void FrameStrip::dropTimed()
{
    if (m_timed) {
        m_timed->drop();
    }
}

void FrameStrip::handleVisibility(uint8_t state)
{
    const bool before = shows();
    m_covered = state == XCB_VISIBILITY_FULLY_OBSCURED;
    changed(before, false);
}

void FrameStrip::handleMapped(uint32_t window, bool mapped)
{
    if (window != m_parent && window != m_top) {
        return;
    }
    const bool before = shows();
    if (window == m_parent) {
        m_parentMapped = mapped;
    }
    if (window == m_top) {
        m_topMapped = mapped;
    }
    changed(before, false);
}

void FrameStrip::handleExpose()
{
    if (shows() && m_changed) {
        m_changed(true);
    }
}

void FrameStrip::changed(bool before, bool exposed)
{
    if ((shows() != before || exposed) && m_changed) {
        m_changed(exposed);
    }
}

}  // namespace zelko::platform
