// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/window_rect_type.h"

#include <cstdint>

namespace zelko::platform {

// Fills rect with the geometry of the native window whose handle is given (found through
// Qt's widgets). A handle that names no window leaves rect as it was and returns false.
bool getWindowRect(int64_t windowHandle, WindowRect& rect);

}  // namespace zelko::platform
