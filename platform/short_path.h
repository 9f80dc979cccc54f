// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zelko::platform {

// The Linux stand-in for the short (8.3) form of a path. The media layer splits commands on
// blanks and adds no quotes, so a path that holds a blank or a quote, or is too long for the
// opening command's buffer, is handed back as a short blank-free path naming the same file (a
// link in a private per-process folder, removed at exit). Returns 0 when the file does not exist; the length written
// (without the terminator) on success; the size needed including the terminator when the buffer is too small, and then
// nothing is written.
uint32_t getShortPathName(const std::string& longPath, char* buffer, uint32_t length);

}  // namespace zelko::platform
