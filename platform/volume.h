// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zelko::platform {

// MCI's audio volume runs from 0 (silent) to 1000 (full, a device's volume after open).
inline constexpr int32_t kFullVolume = 1000;

}  // namespace zelko::platform
