// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/host_process.h"

#include "platform/mci_host/connect_broker.h"
#include "platform/mci_host/host_launch.h"
#include "platform/time_limit.h"

#include <atomic>
#include <cerrno>
#include <chrono>
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
#include <utility>
#include <vector>

namespace zelko::channels {

namespace fence = mci::fence;

namespace {

// How long a closing window lets the host close its devices before it is killed.
constexpr int kExitGraceMs = platform::timeLimit(1000);
// How long bubblewrap may take to make the namespaces and name the host's process.
constexpr int kNamespacesMs = platform::timeLimit(5000);

// Once bubblewrap has found namespaces refused, every later host starts without them at once.
std::atomic<bool> g_namespacesRefused{false};

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

// bubblewrap ends with its host's exit status, or with 128 and the signal that killed the host:
// the host's own wait status again.
int hostStatus(int bubblewrapStatus)
{
    if (!WIFEXITED(bubblewrapStatus)) {
        return bubblewrapStatus;
    }
    const int code = WEXITSTATUS(bubblewrapStatus);
    return code > 128 && code < 128 + NSIG ? code - 128 : bubblewrapStatus;
}

// A descriptor moved above the low numbers, so that placing it at its number in the host is a
// real copy, which drops close-on-exec.
int high(int fd)
{
    const int moved = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 10) : -1;
    if (fd >= 0) {
        ::close(fd);
    }
    return moved;
}

// The descriptors the host is given, at their numbers (fence::k*Fd) and on this side.
struct Descriptors {
    int window = -1;  // the window's end of the socket pair
    int host = -1;
    int brokerWindow = -1;
    int brokerHost = -1;
    int trace = -1;
    int statusRead = -1;  // bubblewrap's status, read here
    int statusWrite = -1;

    ~Descriptors()
    {
        for (const int fd : {host, brokerWindow, brokerHost, trace, statusRead, statusWrite}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
};

bool makeDescriptors(fence::Fence kind, Descriptors& fds, std::string& why)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        why = std::string("no socket pair: ") + std::strerror(errno);
        return false;
    }
    fds.window = pair[0];
    fds.host = high(pair[1]);
    if (kind == fence::Fence::Landlock && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0) {
        fds.brokerWindow = pair[0];
        fds.brokerHost = high(pair[1]);
    }
    if (kind == fence::Fence::Namespaces && ::pipe2(pair, O_CLOEXEC) == 0) {
        fds.statusRead = pair[0];
        fds.statusWrite = high(pair[1]);
    }
    // The host appends to the trace through the descriptor: its own root has no such path.
    if (const char* trace = std::getenv("ZELKO_MCI_TRACE"); trace != nullptr && *trace != '\0') {
        fds.trace = high(::open(trace, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    }
    return true;
}

pid_t spawn(const fence::HostPlan& plan, const Descriptors& fds, int& failed)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const std::pair<int, int> placed[] = {{fds.host, fence::kSocketFd},
                                          {fds.brokerHost, fence::kBrokerFd},
                                          {fds.trace, fence::kTraceFd},
                                          {fds.statusWrite, fence::kStatusFd}};
    for (const auto& [fd, number] : placed) {
        if (fd >= 0) {
            posix_spawn_file_actions_adddup2(&actions, fd, number);
        } else {
            posix_spawn_file_actions_addopen(&actions, number, "/dev/null", O_RDONLY, 0);
        }
    }
    posix_spawn_file_actions_addclosefrom_np(&actions, fence::kStatusFd + 1);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    std::vector<char*> arguments;
    for (const std::string& argument : plan.arguments) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    std::vector<char*> environment;
    for (const std::string& entry : plan.environment) {
        environment.push_back(const_cast<char*>(entry.c_str()));
    }
    environment.push_back(nullptr);
    pid_t pid = 0;
    failed = ::posix_spawn(&pid, arguments[0], &actions, &attributes, arguments.data(), environment.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

// bubblewrap's first status line names the host's process once the namespaces are made; it
// ends without one when the kernel refused them. 0 then.
pid_t hostInNamespaces(int status)
{
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kNamespacesMs);
    while (text.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd entry{status, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
            return 0;
        }
        char chunk[256];
        const ssize_t count = ::read(status, chunk, sizeof chunk);
        if (count <= 0) {
            break;
        }
        text.append(chunk, static_cast<size_t>(count));
    }
    const size_t key = text.find("\"child-pid\":");
    return key == std::string::npos ? 0 : static_cast<pid_t>(std::atoi(text.c_str() + key + 12));
}

}  // namespace

std::unique_ptr<HostProcess> HostProcess::start(const std::string& program, const std::string& runtimeFolder,
                                                bool quiet, std::string& why)
{
    const fence::Environment environment = fence::currentEnvironment();
    const fence::Session session = fence::findSession(environment);
    fence::seedHostRegistry(runtimeFolder, environment);
    fence::HostRequest request;
    request.program = program;
    request.runtimeFolder = runtimeFolder;
    request.quiet = quiet;
    request.fence = fence::wantedFence(environment, request.whyNoNamespaces);
    if (g_namespacesRefused) {
        request.fence = fence::Fence::Landlock;
        request.whyNoNamespaces = "bubblewrap could not make them (its words are above)";
    }
    for (;;) {
        Descriptors fds;
        if (!makeDescriptors(request.fence, fds, why)) {
            return nullptr;
        }
        request.tracing = fds.trace >= 0;
        const fence::HostPlan plan = fence::planHost(request, session, environment);
        int failed = 0;
        const pid_t launcher = spawn(plan, fds, failed);
        ::close(std::exchange(fds.host, -1));
        ::close(std::exchange(fds.statusWrite, -1));
        if (launcher < 0) {
            ::close(fds.window);
            why = plan.arguments[0] + ": " + std::strerror(failed);
            return nullptr;
        }
        if (request.fence == fence::Fence::Landlock) {
            std::unique_ptr<HostProcess> host(new HostProcess(launcher, launcher, fds.window));
            host->m_broker =
                fence::ConnectBroker::start(std::exchange(fds.brokerWindow, -1), launcher, plan.connectable);
            return host;
        }
        if (const pid_t pid = hostInNamespaces(fds.statusRead); pid > 0) {
            return std::unique_ptr<HostProcess>(
                new HostProcess(pid, launcher, fds.window, std::exchange(fds.statusRead, -1)));
        }
        // bubblewrap said why on standard error; this host and every later one go without.
        ::close(fds.window);
        ::kill(launcher, SIGKILL);
        ::waitpid(launcher, nullptr, 0);
        g_namespacesRefused = true;
        request.fence = fence::Fence::Landlock;
        request.whyNoNamespaces = "bubblewrap could not make them (its words are above)";
    }
}

HostProcess::HostProcess(pid_t pid, pid_t launcher, int socket, int status)
    : m_pid(pid), m_launcher(launcher), m_socket(socket), m_status(status)
{
    if (pid == launcher) {
        return;
    }
    m_pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    // bubblewrap ends as soon as the host does: while it runs, the number still named the host
    // when the pidfd was taken.
    siginfo_t info{};
    if (m_pidfd >= 0 && (::waitid(P_PID, launcher, &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != 0)) {
        ::close(std::exchange(m_pidfd, -1));
    }
}

HostProcess::~HostProcess()
{
    ::close(m_socket);
    if (!m_killed && !waitForExit(m_launcher, kExitGraceMs)) {
        kill();
    }
    for (const int fd : {m_pidfd, m_status}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

std::optional<int> HostProcess::waitForEnd(int timeoutMs)
{
    if (m_killed) {
        return std::nullopt;
    }
    const std::optional<int> status = waitForExit(m_launcher, timeoutMs);
    m_killed = status.has_value();
    return status && m_launcher != m_pid ? hostStatus(*status) : status;
}

void HostProcess::kill()
{
    if (!m_killed) {
        m_killed = true;
        if (m_pidfd >= 0) {
            ::syscall(SYS_pidfd_send_signal, m_pidfd, SIGKILL, nullptr, 0);
        }
        // The window's own child stays until it is reaped, so its number is still its own.
        ::kill(m_launcher, SIGKILL);
        reapLater(m_launcher);
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
