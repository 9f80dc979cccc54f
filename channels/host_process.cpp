// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/host_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zelko::channels {

namespace {

// The socket's number in the host, as its command line says.
constexpr int kHostSocketFd = 3;
// How long a closing window lets the host close its devices before it is killed.
constexpr int kExitGraceMs = 1000;

// Reaps `pid` without blocking the caller: a killed process whose threads are stuck in the
// kernel may take a while to go.
void reapLater(pid_t pid)
{
    if (::waitpid(pid, nullptr, WNOHANG) != 0) {
        return;
    }
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
}

// Waits up to timeoutMs for the process to end; its wait status when it has (and is reaped).
std::optional<int> waitForExit(pid_t pid, int timeoutMs)
{
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        pollfd entry{pidfd, POLLIN, 0};
        while (::poll(&entry, 1, timeoutMs) < 0 && errno == EINTR) {}
        ::close(pidfd);
    }
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid ? std::optional<int>(status) : std::nullopt;
}

}  // namespace

std::unique_ptr<HostProcess> HostProcess::start(const std::string& program, const std::string& runtimeFolder,
                                                bool quiet, std::string& why)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        why = std::string("no socket pair: ") + std::strerror(errno);
        return nullptr;
    }
    // Moved above the low numbers, so that placing it at 3 in the host is a real copy, which
    // drops close-on-exec.
    const int hostEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, 10);
    ::close(pair[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, hostEnd, kHostSocketFd);
    posix_spawn_file_actions_addclosefrom_np(&actions, kHostSocketFd + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const std::string socketText = std::to_string(kHostSocketFd);
    std::vector<const char*> arguments{program.c_str(), "--socket", socketText.c_str(), "--runtime",
                                       runtimeFolder.c_str()};
    if (quiet) {
        arguments.push_back("--quiet");
    }
    arguments.push_back(nullptr);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, program.c_str(), &actions, &attributes,
                                     const_cast<char* const*>(arguments.data()), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(hostEnd);
    if (failed != 0) {
        ::close(pair[0]);
        why = program + ": " + std::strerror(failed);
        return nullptr;
    }
    return std::unique_ptr<HostProcess>(new HostProcess(pid, pair[0]));
}

HostProcess::HostProcess(pid_t pid, int socket) : m_pid(pid), m_socket(socket) {}

HostProcess::~HostProcess()
{
    ::close(m_socket);
    if (m_killed) {
        return;
    }
    if (!waitForExit(m_pid, kExitGraceMs)) {
        ::kill(m_pid, SIGKILL);
        reapLater(m_pid);
    }
}

std::optional<int> HostProcess::waitForEnd(int timeoutMs)
{
    if (m_killed) {
        return std::nullopt;
    }
    const std::optional<int> status = waitForExit(m_pid, timeoutMs);
    m_killed = status.has_value();
    return status;
}

void HostProcess::kill()
{
    if (!m_killed) {
        m_killed = true;
        ::kill(m_pid, SIGKILL);
        reapLater(m_pid);
    }
}

std::string defaultHostProgram()
{
    if (const char* named = std::getenv("ZELKO_MCI_HOST"); named != nullptr && *named != '\0') {
        return named;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    const fs::path beside = self.parent_path() / "zelko-mci-host";
    if (fs::exists(beside, error)) {
        return beside;
    }
    return self.parent_path().parent_path() / "libexec" / "zelko-player" / "zelko-mci-host";
}

}  // namespace zelko::channels
