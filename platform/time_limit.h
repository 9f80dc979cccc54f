// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zelko::platform {

// A time limit as this build keeps it: `limit` itself, or in a sanitizer build that many times
// longer as cmake/ZelkoSanitize.cmake sets (ZELKO_TIME_SCALE). Such a build does the same work
// several times more slowly, so a limit that guards against a hung decoder or a lost output
// would otherwise take work that is only slow for a hang. Works on std::chrono durations and on
// plain counts of a unit (GstClockTime nanoseconds) alike. The tests scale their own deadlines
// through here too, so a build never holds a test to a deadline shorter than the engine's.
template <typename Duration> constexpr Duration timeLimit(Duration limit)
{
#ifdef ZELKO_TIME_SCALE
    return limit * ZELKO_TIME_SCALE;
#else
    return limit;
#endif
}

}  // namespace zelko::platform
