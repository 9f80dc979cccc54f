#pragma once

#include <cstdint>

namespace zelko::platform {

// A window's rectangle in pixels, as the media layer reads it for placing the video.
struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Fills rect with the geometry of the native window whose handle is given (found through
// Qt's widgets). A handle that names no window leaves rect as it was and returns false.
bool getWindowRect(int64_t windowHandle, WindowRect& rect);

}  // namespace zelko::platform
