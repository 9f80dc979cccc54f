#pragma once

#include <cstdint>

namespace zelko::mci {

// The size in pixels of the native X11 window `window`, asked of the X server on the caller's
// thread. False (sizes untouched) without a display or for a handle that names no window.
bool windowSize(std::uintptr_t window, int& width, int& height);

}  // namespace zelko::mci
