// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace zelko::media {

// The fixed command buffers: opening commands are held in 255 characters; playing, setting and
// reading the speed in 128.
inline constexpr std::size_t kOpenCommandLength = 255;
inline constexpr std::size_t kShortCommandLength = 128;
// Replies are read from a buffer of 128 characters, and descriptions of codes likewise.
inline constexpr std::size_t kReplyLength = 128;
// The short form of a path is asked for in a buffer of 255 characters.
inline constexpr std::size_t kShortPathLength = 255;

// The command as it leaves a fixed buffer of `length` characters: cut to that length, or
// padded with blanks up to it.
std::string holdInBuffer(std::string command, std::size_t length);

}  // namespace zelko::media
