// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

namespace zelko::platform {

// Rounds to the nearest integer, an exact half to the even neighbour (12.5 -> 12, 13.5 -> 14),
// as every figure the media layer reads and the player shows is rounded. Empty when the
// result does not fit a signed 32-bit integer (or the value is not finite).
inline std::optional<int32_t> roundHalfEven(double value)
{
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    double whole = std::floor(value);
    double rest = value - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    if (whole < -2147483648.0 || whole > 2147483647.0) {
        return std::nullopt;
    }
    return static_cast<int32_t>(whole);
}

}  // namespace zelko::platform
