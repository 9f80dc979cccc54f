// SPDX-License-Identifier: GPL-3.0-or-later
// zelko-mci-host: the MCI engine in a process of its own, so that a file that hangs or crashes
// a decoder hangs or crashes only this process. It answers the window's commands over the
// socket it is given and does nothing else: no network, no writes outside its runtime folder,
// and no media file but those whose descriptors the window hands over (host_service.h).
//   zelko-mci-host --socket FD --runtime FOLDER [--quiet]
#include "platform/mci/engine.h"
#include "platform/mci_host/host_service.h"
#include "platform/mci_host/sandbox.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

namespace zelko {
namespace {

struct Options {
    int socket = -1;
    std::string runtime;
    bool quiet = false;  // a later host: the first one told the log about the sandbox
};

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--socket" && i + 1 < argc) {
            options.socket = std::atoi(argv[++i]);
        } else if (argument == "--runtime" && i + 1 < argc) {
            options.runtime = argv[++i];
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else {
            return false;
        }
    }
    return options.socket >= 0 && !options.runtime.empty();
}

void tellSandbox(const mci::SandboxReport& report)
{
    if (report.network && report.files) {
        return;
    }
    std::fprintf(stderr, "zelko-mci-host: runs without %s%s%s: %s\n", report.network ? "" : "the network fence",
                 report.network || report.files ? "" : " and ", report.files ? "" : "the file-system fence",
                 report.why.c_str());
}

// The sound server's client library makes a cookie file in the home folder when it finds none,
// which the fence refuses (and the library then says so on every open); where there is none
// yet, it makes one in the runtime folder instead. The server knows its user without it.
void keepSoundCookieInside(const std::string& runtime)
{
    if (std::getenv("PULSE_COOKIE") != nullptr) {
        return;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder = config != nullptr && *config != '\0' ? config
                               : home != nullptr                    ? std::string(home) + "/.config"
                                                                    : std::string();
    if (folder.empty() || ::access((folder + "/pulse/cookie").c_str(), R_OK) != 0) {
        ::setenv("PULSE_COOKIE", (runtime + "/pulse-cookie").c_str(), 1);
    }
}

int Main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: zelko-mci-host --socket FD --runtime FOLDER [--quiet]\n");
        return 2;
    }
    // The host lives no longer than the window that started it, even when the window is killed.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1) {
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);
    keepSoundCookieInside(options.runtime);
    // GStreamer's registry and the trace file are written here, before the fence; the engine
    // starts no thread until the warm-up, so every thread of the host is inside it.
    mci::Engine engine;
    const mci::SandboxReport report = mci::enterSandbox(options.runtime);
    if (!options.quiet) {
        tellSandbox(report);
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
