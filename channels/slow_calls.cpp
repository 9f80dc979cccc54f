// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/slow_calls.h"

#include <QMetaObject>
#include <memory>
#include <system_error>
#include <thread>

#include "channels/log.h"

namespace zelko::channels {

SlowCalls::SlowCalls() : m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->receiver = &m_receiver;
}

SlowCalls::~SlowCalls()
{
    // A call still on its way keeps the mailbox and finds nobody to post to.
    std::lock_guard lock(m_mailbox->mutex);
    m_mailbox->receiver = nullptr;
}

void SlowCalls::start(std::function<void()> work)
{
    auto shared = std::make_shared<std::function<void()>>(std::move(work));
    try {
        std::thread([shared] { (*shared)(); }).detach();
    } catch (const std::system_error& error) {
        // No thread to be had (the process is at its limit): the call is made here after all,
        // and its result still comes from the event loop.
        qCWarning(lcChannels, "no thread for a call that may wait on the disk (%s): made on the window's thread",
                  error.what());
        (*shared)();
    }
}

void SlowCalls::post(Mailbox& mailbox, std::function<void()> result)
{
    // Held while posting, so the receiver cannot go between the look and the post; a posted
    // result that has not run when the receiver goes is dropped with it.
    std::lock_guard lock(mailbox.mutex);
    if (mailbox.receiver != nullptr) {
        QMetaObject::invokeMethod(mailbox.receiver, std::move(result), Qt::QueuedConnection);
    }
}

}  // namespace zelko::channels
