// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>

namespace zelko::mci {

enum class TimeFormat { Milliseconds, Frames };

inline constexpr int64_t kNsPerSecond = 1'000'000'000;

// Nanoseconds to the device's units, to the nearest unit, so that the end of the media in
// either unit is exactly the length in that unit.
inline int64_t nsToUnits(int64_t ns, TimeFormat format, double framesPerSecond)
{
    if (format == TimeFormat::Frames) {
        return std::llround(static_cast<double>(ns) * framesPerSecond / kNsPerSecond);
    }
    return std::llround(static_cast<double>(ns) / 1e6);
}

inline int64_t unitsToNs(int64_t units, TimeFormat format, double framesPerSecond)
{
    if (format == TimeFormat::Frames) {
        return std::llround(static_cast<double>(units) * kNsPerSecond / framesPerSecond);
    }
    return units * 1'000'000;
}

}  // namespace zelko::mci
