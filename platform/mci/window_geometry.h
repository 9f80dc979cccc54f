// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

namespace zelko::mci {

// A rectangle in pixels, x and y from the parent window's top-left corner.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The engine's rectangles are in the logical pixels of the window's owner (those it lays its
// window out in); the sink draws in the window's device pixels. This is the one place where
// one becomes the other: each edge scaled by the ratio and rounded, as the toolkit sizes its
// native windows, so a rectangle the size of the window's logical size fills it exactly.
PixelRect toDevicePixels(const PixelRect& logical, double pixelRatio);

// The size in device pixels of the native X11 window `window`, asked of the X server on the
// caller's thread. False (sizes untouched) without a display or for a handle that names no window.
bool windowSize(std::uintptr_t window, int& width, int& height);

// What the server reported about a watched window since the last look.
struct WindowChanges {
    bool resized = false;  // its device size or its pixel ratio changed
    bool exposed = false;  // part of it was uncovered and cleared to its background
};

// Follows a parent window that its owner may resize, rescale or cover at any time (the player
// grows its picture box after the video opened, maximizes it, and other windows pass over it).
// Listens for the window's configure, expose and property events on a connection of its own,
// so a look costs no round trip to the X server.
class WindowWatch {
public:
    // Null without a display or when the handle names no window.
    static std::unique_ptr<WindowWatch> watch(std::uintptr_t window);
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    // Reads the events that came since the last call, on the caller's thread.
    WindowChanges poll();
    // Readable when the server has told something since the last poll(), so a caller that
    // sleeps can wake for it; -1 once the connection has failed (it would stay readable).
    int fd() const;
    int width() const { return m_width; }  // device pixels
    int height() const { return m_height; }
    // Device pixels per logical pixel, as the owner recorded it on the window (1 if it did not).
    double pixelRatio() const { return m_pixelRatio; }

private:
    struct Connection;
    WindowWatch(std::unique_ptr<Connection> connection, std::uintptr_t window, int width, int height);
    double readPixelRatio() const;

    std::unique_ptr<Connection> m_connection;
    std::uintptr_t m_window = 0;
    int m_width = 0;
    int m_height = 0;
    double m_pixelRatio = 1.0;
};

}  // namespace zelko::mci
