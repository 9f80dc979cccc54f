// SPDX-License-Identifier: GPL-3.0-or-later
// zelko-mci-host: the MCI engine in a process of its own, so that a file that hangs or crashes
// a decoder hangs or crashes only this process. It answers the window's commands over the
// socket it is given and reaches nothing of the user's: the window starts it in namespaces of
// its own (bubblewrap) or, where they are refused, with a broker for its connect() calls, and
// it fences itself in further once GStreamer is ready (sandbox.h).
//   zelko-mci-host --socket FD --runtime FOLDER --fence namespaces|landlock [--broker FD]
//                  [--why TEXT] [--quiet]
#include "platform/mci/engine.h"
#include "platform/mci_host/host_launch.h"
#include "platform/mci_host/host_service.h"
#include "platform/mci_host/sandbox.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zelko {
namespace {

struct Options {
    int socket = -1;
    std::string runtime;
    bool namespaces = false;
    int broker = -1;
    std::string whyNoNamespaces;
    bool quiet = false;  // a later host: the first one told the log about its fence
};

bool parse(int argc, char** argv, Options& options)
{
    std::string fence;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool valued = i + 1 < argc;
        if (argument == "--socket" && valued) {
            options.socket = std::atoi(argv[++i]);
        } else if (argument == "--runtime" && valued) {
            options.runtime = argv[++i];
        } else if (argument == "--fence" && valued) {
            fence = argv[++i];
        } else if (argument == "--broker" && valued) {
            options.broker = std::atoi(argv[++i]);
        } else if (argument == "--why" && valued) {
            options.whyNoNamespaces = argv[++i];
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else {
            return false;
        }
    }
    options.namespaces = fence == "namespaces";
    // Without namespaces only the broker keeps connect() to the display and the sound server.
    return options.socket >= 0 && !options.runtime.empty() &&
           (options.namespaces || (fence == "landlock" && options.broker >= 0));
}

int Main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: zelko-mci-host --socket FD --runtime FOLDER --fence namespaces|landlock "
                             "[--broker FD] [--why TEXT] [--quiet]\n");
        return 2;
    }
    // The host holds no descriptor it was not given.
    ::syscall(SYS_close_range, mci::fence::kStatusFd, ~0U, 0);
    // The host lives no longer than the window that started it, even when the window is killed.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1) {
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // GStreamer's registry is written here and the trace opened (through its descriptor),
    // before the fence; the engine starts no thread until the warm-up, so every thread of the
    // host is inside it.
    mci::Engine engine;
    ::close(mci::fence::kTraceFd);
    const mci::SandboxReport report = mci::enterSandbox({options.runtime, options.namespaces ? -1 : options.broker});
    ::close(mci::fence::kBrokerFd);
    if (!options.quiet) {
        std::fprintf(stderr, "%s\n", mci::describeFence(report, options.namespaces, options.whyNoNamespaces).c_str());
    }
    engine.warmUp();
    // When the window has gone or closed the channel, the engine closes its devices on the way out.
    return mci::serve(engine, options.socket);
}

}  // namespace
}  // namespace zelko

int main(int argc, char** argv)
{
    return zelko::Main(argc, argv);
}
