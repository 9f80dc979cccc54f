// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace zelko::mci {

// The host's Landlock rules: it reads the system paths (fence_layout.h) and the files named
// here, reads and writes the few devices and its runtime folder, and nothing else; it opens
// no TCP port, reaches no abstract Unix socket made outside it and signals no other process.
struct LandlockRules {
    std::string runtimeFolder;
    std::vector<std::string> readableFiles;  // the display's and sound server's cookies ...
};

// Applies the rules to the calling thread and all it starts, for good; there must be no other
// thread yet (Landlock fences the caller alone). Returns the Landlock version used, or 0 with
// the reason when the kernel has none or refused.
int applyLandlock(const LandlockRules& rules, std::string& why);

}  // namespace zelko::mci
