// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zelko::mci {

// What fenced the host in, for its one line in the log.
struct SandboxReport {
    bool network = false;  // socket families other than Unix refused (seccomp)
    bool files = false;    // writes outside the runtime folder and /dev refused (Landlock)
    std::string why;       // what could not be set up, and the reason
};

// Fences the calling process in for good, all its threads and children: it may not open
// sockets other than Unix ones (the X server and the sound server are reached through those),
// and may write only beneath `runtimeFolder` and /dev (the sound devices, shared memory for
// the sound server). It still reads any file. Call it before the process starts threads of its
// own, so every later thread inherits the fence.
SandboxReport enterSandbox(const std::string& runtimeFolder);

}  // namespace zelko::mci
