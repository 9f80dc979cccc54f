// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zelko::mci::fence {

// The window's side of the fence without namespaces. There every Unix socket the user has is
// in the host's sight (the session bus among them), and Landlock cannot keep it from connecting
// to one; so the host's seccomp filter hands each connect() to this broker, on a thread of the
// window's. A connect() to one of the `connectable` sockets is made by the broker, with the
// address it read and checked in its own memory, on the host's own socket (taken with
// pidfd_getfd), so the host's socket is then connected; any other fails with EACCES.
class ConnectBroker {
public:
    // Waits on `socket` (the window's end of the host's broker pair, taken over) for the host's
    // seccomp listener, then answers on it until the host ends or the broker is destroyed. Null
    // when the host cannot be followed (it has already gone).
    static std::unique_ptr<ConnectBroker> start(int socket, pid_t host, std::vector<std::string> connectable);
    // Stops the thread; it ends on its own, never blocking the caller.
    ~ConnectBroker();
    ConnectBroker(const ConnectBroker&) = delete;
    ConnectBroker& operator=(const ConnectBroker&) = delete;

private:
    explicit ConnectBroker(int wake) : m_wake(wake) {}
    int m_wake;  // closing it wakes the thread to end
};

}  // namespace zelko::mci::fence
