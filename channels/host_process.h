// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace zelko::mci::fence {
class ConnectBroker;
}

namespace zelko::channels {

// One running zelko-mci-host and the window's end of the socket pair it answers on. The host
// ends when the window closes its end (or dies: the host asks the kernel to kill it then).
//
// It starts in its own namespaces through bubblewrap, where it sees the system's files, the
// display's and sound server's sockets and its runtime folder, nothing of the user's; where the
// kernel refuses namespaces, it starts without them under Landlock and seccomp alone, its
// connect() calls answered by a broker in the window, and every later host does the same.
// Either way it gets only the environment it needs, /dev/null for input and output, the
// window's standard error for its messages, and a session of its own.
class HostProcess {
public:
    // Starts `program` on a fresh socket pair, writing beneath `runtimeFolder`; quiet when an
    // earlier host has told the log about its fence. Null, with the reason, when it cannot.
    static std::unique_ptr<HostProcess> start(const std::string& program, const std::string& runtimeFolder, bool quiet,
                                              std::string& why);
    // Closes the socket and gives the host a moment to close its devices; then it is killed.
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    int socket() const { return m_socket; }
    // The host's own process id (not bubblewrap's), as the window's PID namespace numbers it.
    pid_t pid() const { return m_pid; }
    // The window's own child, whose end waitForEnd() waits for: bubblewrap, or the host itself.
    pid_t launcher() const { return m_launcher; }
    // Kills the host at once (a hung or broken one); it is reaped without waiting for it.
    void kill();
    // Waits up to timeoutMs for a host that closed its end to be gone, and reaps it: its wait
    // status, or none while it still runs.
    std::optional<int> waitForEnd(int timeoutMs);

private:
    HostProcess(pid_t pid, pid_t launcher, int socket, int status = -1);

    pid_t m_pid;
    pid_t m_launcher;  // the window's child: bubblewrap, or the host itself
    int m_socket;
    int m_pidfd = -1;  // the host's, when it is not the window's own child
    // bubblewrap's status pipe, open while it runs: its last line (the host's exit) would
    // otherwise kill it with SIGPIPE, and the host's end would read as that signal.
    int m_status = -1;
    std::unique_ptr<mci::fence::ConnectBroker> m_broker;
    bool m_killed = false;  // or reaped
};

// The host program beside the running one (the build folder), else in the player's libexec
// folder; ZELKO_MCI_HOST names another.
std::string defaultHostProgram();

}  // namespace zelko::channels
