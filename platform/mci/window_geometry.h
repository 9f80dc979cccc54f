#pragma once

#include <cstdint>
#include <memory>

namespace zelko::mci {

// The size in pixels of the native X11 window `window`, asked of the X server on the caller's
// thread. False (sizes untouched) without a display or for a handle that names no window.
bool windowSize(std::uintptr_t window, int& width, int& height);

// Follows the size of a parent window that its owner may resize at any time (the player grows
// its picture box after the video opened). Listens for the window's configure events on a
// connection of its own, so a check costs no round trip to the X server.
class WindowWatch {
public:
    // Null without a display or when the handle names no window.
    static std::unique_ptr<WindowWatch> watch(std::uintptr_t window);
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    // True when the size changed since the last call; width and height are then the new size.
    bool resized(int& width, int& height);
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    struct Connection;
    WindowWatch(std::unique_ptr<Connection> connection, std::uintptr_t window, int width, int height);

    std::unique_ptr<Connection> m_connection;
    std::uintptr_t m_window = 0;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace zelko::mci
