// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zelko::platform {

// A window's rectangle in pixels, as the media layer reads it for placing the video. Plain
// data, so the media layer can name it without taking in the toolkit that fills it.
struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

}  // namespace zelko::platform
