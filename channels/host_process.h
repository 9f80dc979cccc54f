// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace zelko::channels {

// One running zelko-mci-host and the window's end of the socket pair it answers on. The host
// ends when the window closes its end (or dies: the host asks the kernel to kill it then).
class HostProcess {
public:
    // Starts `program` on a fresh socket pair, writing beneath `runtimeFolder`; quiet when an
    // earlier host has told the log about its sandbox. Null, with the reason, when it cannot.
    static std::unique_ptr<HostProcess> start(const std::string& program, const std::string& runtimeFolder, bool quiet,
                                              std::string& why);
    // Closes the socket and gives the host a moment to close its devices; then it is killed.
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    int socket() const { return m_socket; }
    pid_t pid() const { return m_pid; }
    // Kills the host at once (a hung or broken one); it is reaped without waiting for it.
    void kill();
    // Waits up to timeoutMs for a host that closed its end to be gone, and reaps it: its wait
    // status, or none while it still runs.
    std::optional<int> waitForEnd(int timeoutMs);

private:
    HostProcess(pid_t pid, int socket);

    pid_t m_pid;
    int m_socket;
    bool m_killed = false;  // or reaped
};

// The host program beside the running one (the build folder), else in the player's libexec
// folder; ZELKO_MCI_HOST names another.
std::string defaultHostProgram();

}  // namespace zelko::channels
