// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zelko::mci {

// A rectangle in pixels, as "where" answers it and "put window at" gives it: left, top, size.
struct Rect {
    int64_t x = 0;
    int64_t y = 0;
    int64_t width = 0;
    int64_t height = 0;
};

}  // namespace zelko::mci
