// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "platform/mci_host/fence_layout.h"

namespace zelko::mci::fence {

// How the window starts zelko-mci-host: the command, the environment (all of it: the host gets
// nothing else of the window's), and the descriptors it is given, by their numbers in the host.
// Standard input and output are /dev/null; errors go to the window's standard error.

enum class Fence {
    // Its own user, mount, network, PID and IPC namespaces (bubblewrap), a root of read-only
    // system files and the two sockets, and within them Landlock and seccomp.
    Namespaces,
    // Where namespaces are refused: Landlock rules for reading and writing, seccomp, and a
    // broker in the window that lets it connect to the display's and sound server's sockets only.
    Landlock,
};

constexpr int kSocketFd = 3;  // the window's end of the socket pair
constexpr int kBrokerFd = 4;  // Landlock fence: where the host hands the window its seccomp listener
constexpr int kTraceFd = 5;   // the trace file, when the window keeps one
constexpr int kStatusFd = 6;  // namespaces: bubblewrap says there the host's process id

struct HostRequest {
    std::string program;        // zelko-mci-host
    std::string runtimeFolder;  // its private folder, the only place it writes
    bool quiet = false;         // a later host: the first one told the log about its fence
    bool tracing = false;       // the window gives it the trace file (kTraceFd)
    Fence fence = Fence::Namespaces;
    std::string whyNoNamespaces;  // with Fence::Landlock, for the host's one line in the log
};

struct HostPlan {
    std::vector<std::string> arguments;    // the program first: bubblewrap, or the host itself
    std::vector<std::string> environment;  // NAME=value
    // The sockets the Landlock fence's broker lets the host connect to, as paths outside.
    std::vector<std::string> connectable;
};

// The fence to start a host in: namespaces where bubblewrap is installed, unless
// ZELKO_MCI_HOST_FENCE=landlock asks for the fallback (to test it, or where namespaces are
// known to be refused). `why` says why not namespaces.
Fence wantedFence(const Environment& environment, std::string& why);
std::string bubblewrapProgram();

HostPlan planHost(const HostRequest& request, const Session& session, const Environment& environment);

// The host's GStreamer registry, in its runtime folder: a copy of the user's registry when there
// is one (GStreamer brings it up to date), so that no host writes anything outside that folder.
std::string hostRegistry(const std::string& runtimeFolder);
void seedHostRegistry(const std::string& runtimeFolder, const Environment& environment);

}  // namespace zelko::mci::fence
