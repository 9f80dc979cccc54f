// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci_host/connect_broker.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace zelko::mci::fence {

namespace {

struct Work {
    int socket;
    int pidfd;
    int wake;
    std::vector<std::string> connectable;
};

// Waits until `fd` can be read; false when the wake pipe closed first or `fd` hung up unread.
bool waitFor(int fd, int wake)
{
    pollfd entries[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
    while (::poll(entries, 2, -1) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return entries[1].revents == 0 && (entries[0].revents & POLLIN) != 0;
}

int receiveListener(int socket)
{
    char data = 0;
    iovec part{&data, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    if (::recvmsg(socket, &message, MSG_CMSG_CLOEXEC) != 1) {
        return -1;
    }
    const cmsghdr* header = CMSG_FIRSTHDR(&message);
    if (header == nullptr || header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS ||
        header->cmsg_len != CMSG_LEN(sizeof(int))) {
        return -1;
    }
    int listener = -1;
    std::memcpy(&listener, CMSG_DATA(header), sizeof(int));
    return listener;
}

bool stillWaiting(int listener, uint64_t id)
{
    return ::ioctl(listener, SECCOMP_IOCTL_NOTIF_ID_VALID, &id) == 0;
}

// The host's connect(fd, address, length): the error it gets, 0 when connected.
int connectFor(const Work& work, int listener, const seccomp_notif& call)
{
    const int fd = static_cast<int>(call.data.args[0]);
    const size_t length = static_cast<size_t>(call.data.args[2]);
    sockaddr_un address{};
    if (length <= offsetof(sockaddr_un, sun_path) || length > sizeof address) {
        return EACCES;
    }
    iovec local{&address, length};
    iovec remote{reinterpret_cast<void*>(call.data.args[1]), length};
    if (::process_vm_readv(static_cast<pid_t>(call.pid), &local, 1, &remote, 1, 0) != static_cast<ssize_t>(length) ||
        !stillWaiting(listener, call.id)) {
        return EACCES;
    }
    // A name the kernel reads as it does: up to the first NUL. An abstract name (which starts
    // with one) is answered as where nothing listens, as in the namespaces: the X library then
    // tries the display's socket by its path, and takes any other answer as final.
    const size_t most = length - offsetof(sockaddr_un, sun_path);
    const std::string path(address.sun_path, strnlen(address.sun_path, most));
    if (address.sun_family != AF_UNIX) {
        return EACCES;
    }
    if (path.empty()) {
        return ECONNREFUSED;
    }
    if (std::find(work.connectable.begin(), work.connectable.end(), path) == work.connectable.end()) {
        return EACCES;
    }
    const int socket = static_cast<int>(::syscall(SYS_pidfd_getfd, work.pidfd, fd, 0));
    if (socket < 0) {
        return errno == EBADF ? EBADF : EACCES;
    }
    sockaddr_un checked{};
    checked.sun_family = AF_UNIX;
    std::memcpy(checked.sun_path, path.data(), path.size());
    const int result = ::connect(socket, reinterpret_cast<const sockaddr*>(&checked),
                                 static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1));
    const int error = result == 0 ? 0 : errno;
    ::close(socket);
    return error;
}

void serve(const Work& work, int listener)
{
    seccomp_notif_sizes sizes{};
    if (::syscall(SYS_seccomp, SECCOMP_GET_NOTIF_SIZES, 0, &sizes) != 0) {
        return;
    }
    std::vector<char> callSpace(std::max<size_t>(sizes.seccomp_notif, sizeof(seccomp_notif)));
    std::vector<char> answerSpace(std::max<size_t>(sizes.seccomp_notif_resp, sizeof(seccomp_notif_resp)));
    auto* call = reinterpret_cast<seccomp_notif*>(callSpace.data());
    auto* answer = reinterpret_cast<seccomp_notif_resp*>(answerSpace.data());
    while (waitFor(listener, work.wake)) {
        std::fill(callSpace.begin(), callSpace.end(), 0);
        if (::ioctl(listener, SECCOMP_IOCTL_NOTIF_RECV, call) != 0) {
            if (errno == EINTR || errno == ENOENT) {
                continue;  // the calling thread went away meanwhile
            }
            return;
        }
        std::fill(answerSpace.begin(), answerSpace.end(), 0);
        answer->id = call->id;
        answer->error = -(call->data.nr == SYS_connect ? connectFor(work, listener, *call) : EACCES);
        ::ioctl(listener, SECCOMP_IOCTL_NOTIF_SEND, answer);
    }
}

void run(Work work)
{
    if (waitFor(work.socket, work.wake)) {
        if (const int listener = receiveListener(work.socket); listener >= 0) {
            serve(work, listener);
            ::close(listener);
        }
    }
    ::close(work.socket);
    ::close(work.pidfd);
    ::close(work.wake);
}

}  // namespace

std::unique_ptr<ConnectBroker> ConnectBroker::start(int socket, pid_t host, std::vector<std::string> connectable)
{
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, host, 0));
    int wake[2];
    if (pidfd < 0 || ::pipe2(wake, O_CLOEXEC) != 0) {
        if (pidfd >= 0) {
            ::close(pidfd);
        }
        ::close(socket);
        return nullptr;
    }
    std::thread(run, Work{socket, pidfd, wake[0], std::move(connectable)}).detach();
    return std::unique_ptr<ConnectBroker>(new ConnectBroker(wake[1]));
}

ConnectBroker::~ConnectBroker()
{
    ::close(m_wake);
}

}  // namespace zelko::mci::fence
