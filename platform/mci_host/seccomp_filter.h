// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zelko::mci {

// The host's system-call allow-list. Another processor's or the x32 calls kill the process, and
// so do the calls that reach outside it (ptrace, execve, namespaces, mounts, BPF, io_uring, ...);
// sockets are Unix stream sockets only, new tasks are threads only, signals go to the host
// itself, and a call the list does not name fails with ENOSYS, said once on standard error.
struct SeccompFilter {
    // connect() goes to the window's broker, which lets it through to the display's and sound
    // server's sockets alone (the fence without namespaces, where those sockets are not the only
    // ones the host can name). The listener is handed over on this descriptor.
    int brokerFd = -1;
};

// Installs the filter on every thread of the calling process (TSYNC), for good. The caller has
// set no_new_privs. False, with the reason, when it could not be installed.
bool installSeccompFilter(const SeccompFilter& filter, std::string& why);

}  // namespace zelko::mci
