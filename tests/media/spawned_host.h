// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern char** environ;

namespace zelko::test {

// Starts the real host on a socket pair with its standard error on a pipe.
struct SpawnedHost {
    pid_t pid = 0;
    int socket = -1;
    int errors = -1;
};

inline SpawnedHost spawnHost()
{
    int pair[2];
    int pipe[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0 || ::pipe2(pipe, O_CLOEXEC) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 3);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 2);
    const std::string runtime = ::testing::TempDir();
    // The window would start it in its namespaces; the wire is the same without them.
    const char* arguments[] = {ZELKO_MCI_HOST, "--socket",   "3",       "--runtime", runtime.c_str(),
                               "--fence",      "namespaces", "--quiet", nullptr};
    SpawnedHost host;
    if (::posix_spawn(&host.pid, ZELKO_MCI_HOST, &actions, nullptr, const_cast<char* const*>(arguments), environ) !=
        0) {
        host.pid = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    ::close(pipe[1]);
    host.socket = pair[0];
    host.errors = pipe[0];
    return host;
}

}  // namespace zelko::test
