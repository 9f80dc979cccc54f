// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "channels/host_process.h"

namespace zelko::channels {

// Starts engine hosts off the window's thread: a start may take its time (bubblewrap makes the
// namespaces and names the host, the first start copies GStreamer's registry), and the window
// must not wait for it. The starts are made on one thread that lives as long as this object,
// not on a thread for each: a host's life is tied to the thread that started it (bubblewrap's
// --die-with-parent, the host's own parent-death signal), so a thread that ended would take its
// host with it. When this object goes, the thread ends after the start it is making, and the
// hosts it started go with it: by then the channel has closed them.
class HostStarter {
public:
    // A started host, or why none could be; a host nobody takes out of it is killed with it.
    struct Started {
        std::unique_ptr<HostProcess> process;
        std::string why;

        Started() = default;
        Started(Started&&) = default;
        Started& operator=(Started&&) = default;
        Started(const Started&) = delete;
        Started& operator=(const Started&) = delete;
        ~Started();
    };
    using Done = std::function<void(Started)>;

    HostStarter();
    // Never waits for the thread.
    ~HostStarter();
    HostStarter(const HostStarter&) = delete;
    HostStarter& operator=(const HostStarter&) = delete;

    // Starts `program` (see HostProcess::start); `done` runs on the thread that made this object,
    // from its event loop, never within start(), and not at all once this object is gone.
    void start(std::string program, std::string runtimeFolder, bool quiet, Done done);

private:
    struct Shared;

    QObject m_receiver;
    std::shared_ptr<Shared> m_shared;
};

}  // namespace zelko::channels
