// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zelko::media {

// The leading decimal number of a reply: leading blanks skipped, an optional sign, digits and
// an optional fraction. A reply that starts with no number reads as 0.
double leadingNumber(std::string_view reply);

// The leading number rounded to a signed 32-bit integer; empty when it does not fit.
std::optional<int32_t> leadingInt32(std::string_view reply);

// A whole slice read as one number, blanks allowed before and after it, a fraction rounded
// ties to even; empty when the slice is not a number or the value does not fit 32 bits.
std::optional<int32_t> sliceInt32(std::string_view slice);

// The text in a reply buffer up to its terminating NUL (or the whole buffer without one).
std::string_view replyText(const char* buffer, std::size_t length);

}  // namespace zelko::media
