// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/host_link.h"

#include <QSocketNotifier>
#include <QTimer>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

#include "platform/mci_host/messages.h"

namespace zelko::channels {

namespace {

using mci::wire::Clock;

// Watches one host on its way out; it goes when it has told its end, or with the channel.
class EndWatch final : public QObject {
public:
    EndWatch(std::unique_ptr<HostProcess> host, int limitMs, QObject* parent,
             std::function<void(std::optional<int>)> ended)
        : QObject(parent), m_host(std::move(host)), m_ended(std::move(ended))
    {
        // Readable once the window's child has ended (bubblewrap goes right after its host);
        // where the kernel has no pidfd, the limit alone.
        m_pidfd = static_cast<int>(::syscall(SYS_pidfd_open, m_host->launcher(), 0));
        if (m_pidfd >= 0) {
            m_notifier = new QSocketNotifier(m_pidfd, QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, [this] { look(false); });
        }
        QTimer::singleShot(limitMs, this, [this] { look(true); });
    }
    ~EndWatch() override
    {
        if (m_host) {
            m_host->kill();  // the channel went first
        }
        if (m_pidfd >= 0) {
            ::close(m_pidfd);
        }
    }
    EndWatch(const EndWatch&) = delete;
    EndWatch& operator=(const EndWatch&) = delete;

private:
    void look(bool atLimit)
    {
        if (!m_host) {
            return;
        }
        if (m_notifier != nullptr) {
            m_notifier->setEnabled(false);  // a pidfd stays readable: it has told what it can
        }
        std::optional<int> status = m_host->waitForEnd(0);
        if (!status && !atLimit) {
            return;  // the host has gone and what started it has not yet: the limit tells
        }
        if (!status) {
            m_host->kill();
        }
        m_host.reset();
        deleteLater();
        std::exchange(m_ended, {})(status);
    }

    std::unique_ptr<HostProcess> m_host;
    std::function<void(std::optional<int>)> m_ended;
    int m_pidfd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace

std::unique_ptr<HostLink> HostLink::adopt(std::unique_ptr<HostProcess> process, Clock::time_point startedAt,
                                          QObject* context, std::function<void()> readable)
{
    std::unique_ptr<HostLink> link(new HostLink(std::move(process), startedAt, context, std::move(readable)));
    // The window's hello goes at once: the host reads it after its own. A socket pair just made
    // has room for it; a host that is gone already shows when its end is read.
    link->write(mci::wire::pack(0, mci::wire::Hello{}));
    return link;
}

HostLink::HostLink(std::unique_ptr<HostProcess> process, Clock::time_point startedAt, QObject* context,
                   std::function<void()> readable)
    : m_process(std::move(process)), m_reader(m_process->socket(), false),
      m_notifier(new QSocketNotifier(m_process->socket(), QSocketNotifier::Read, context)), m_startedAt(startedAt)
{
    QObject::connect(m_notifier, &QSocketNotifier::activated, context, std::move(readable));
}

HostLink::~HostLink()
{
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    if (m_process) {
        m_process->kill();  // no-op for a host that has been reaped
    }
}

mci::wire::ReadResult HostLink::next(mci::wire::Frame& frame)
{
    return m_reader.read(frame, Clock::now());
}

bool HostLink::write(const mci::wire::Frame& frame)
{
    return mci::wire::writeFrame(m_process->socket(), frame, Clock::now());
}

void HostLink::kill()
{
    m_process->kill();
}

bool HostLink::close(int graceMs)
{
    m_notifier->setEnabled(false);
    ::shutdown(m_process->socket(), SHUT_RDWR);
    if (m_process->waitForEnd(graceMs)) {
        return true;
    }
    m_process->kill();
    return false;
}

std::unique_ptr<HostProcess> HostLink::release()
{
    m_notifier->setEnabled(false);
    return std::move(m_process);
}

void watchEnd(std::unique_ptr<HostProcess> host, int limitMs, QObject* context,
              std::function<void(std::optional<int> status)> ended)
{
    new EndWatch(std::move(host), limitMs, context, std::move(ended));
}

}  // namespace zelko::channels
