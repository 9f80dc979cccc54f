// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "channels/host_process.h"
#include "platform/mci_host/wire.h"

class QSocketNotifier;

namespace zelko::channels {

// One engine host as the channel talks to it: its process, its end of the socket read from the
// window's event loop without waiting, and whether it has said hello yet. Runs on the window's
// thread; nothing of it waits.
class HostLink {
public:
    // Takes on a host started at `startedAt` (HostProcess::start, which may take its time on a
    // thread of its own) and sends it the window's hello; `readable` runs from the event loop
    // whenever the host has written (or closed its end).
    static std::unique_ptr<HostLink> adopt(std::unique_ptr<HostProcess> process, mci::wire::Clock::time_point startedAt,
                                           QObject* context, std::function<void()> readable);
    // The host must have been killed, reaped or handed on (release) by now.
    ~HostLink();
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;

    int pid() const { return m_process->pid(); }
    int socket() const { return m_process->socket(); }
    bool ready() const { return m_ready; }
    void setReady() { m_ready = true; }
    mci::wire::Clock::time_point startedAt() const { return m_startedAt; }

    // The next frame the host has sent, without waiting: TimedOut when there is none yet.
    mci::wire::ReadResult next(mci::wire::Frame& frame);
    // Writes the frame without waiting; false when the host does not take it (it has gone).
    bool write(const mci::wire::Frame& frame);
    // Gives the host up at once: it is killed, and reaped without waiting for it.
    void kill();
    // The window closes: the end of the channel tells the host, which closes its devices on the
    // way out; a host that is not gone within graceMs is killed. Waits: for the window's end.
    bool close(int graceMs);
    // The process, to be watched to its end (watchEnd) after it closed its end of the channel.
    std::unique_ptr<HostProcess> release();

private:
    HostLink(std::unique_ptr<HostProcess> process, mci::wire::Clock::time_point startedAt, QObject* context,
             std::function<void()> readable);

    std::unique_ptr<HostProcess> m_process;
    mci::wire::FrameReader m_reader;
    QSocketNotifier* m_notifier;  // the context's child, deleted later: it may be signalling now
    bool m_ready = false;
    mci::wire::Clock::time_point m_startedAt;
};

// Watches a host that closed its end of the channel until it has gone, and reaps it, without
// waiting: `ended` runs from the event loop with its wait status, or with none when it was
// still there after limitMs and was killed. Nothing is told once `context` has gone.
void watchEnd(std::unique_ptr<HostProcess> host, int limitMs, QObject* context,
              std::function<void(std::optional<int> status)> ended);

}  // namespace zelko::channels
