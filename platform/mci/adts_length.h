// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>

namespace zelko::mci {

// The length of a raw AAC file (ADTS frames, with an ID3v2 tag in front or tags behind), from
// the frames it holds: each header names its size and its 1024-sample blocks. Neither the
// container nor GStreamer's parser says a length; the parser reckons one from a byte rate.
// Read through `fd` at its own offsets. 0 when the file is not ADTS from start to end, or
// when counting it would read past `maxBytes` of the file or run past `deadline`.
int64_t adtsLengthNs(int fd, int64_t maxBytes, std::chrono::steady_clock::time_point deadline);

}  // namespace zelko::mci
