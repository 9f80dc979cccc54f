// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zelko::mci {

// The host fences itself in, on top of the namespaces the window may have started it in.
struct SandboxOptions {
    std::string runtimeFolder;
    // No namespaces: connect() goes through the window's broker, whose socket this is.
    int brokerFd = -1;
};

// What fenced the host in, for its one line in the log.
struct SandboxReport {
    int landlock = 0;        // the Landlock version its rules use, 0 for none
    bool seccomp = false;    // the system-call allow-list
    uint64_t dataLimit = 0;  // bytes of data it may map (malloc, thread stacks), 0 for none
    std::string why;         // what could not be set up, and the reason
};

// A decoder playing a 4K picture on sixteen threads (libavcodec's most) maps up to about
// 2.1 GiB (10-bit HEVC; 8-bit H.264 and HEVC 1.3 GiB); the limit is about twice that. One that
// allocates without end fails its allocation there, and the host dies of it or fails the file.
constexpr uint64_t kDataLimit = 4ULL << 30;

// Fences the calling process in for good, all its threads and children: no new privileges, the
// memory limit and no core files, Landlock (reads of the system paths and the session's cookie
// files, writes in the runtime folder alone) and the seccomp allow-list. Call it before the
// process starts threads of its own: Landlock fences only the thread that asks.
SandboxReport enterSandbox(const SandboxOptions& options);

// The line the host writes once: which fence it runs in, and what is missing from it.
std::string describeFence(const SandboxReport& report, bool namespaces, const std::string& whyNoNamespaces);

}  // namespace zelko::mci
