// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace zelko::channels {

// Calls that may wait on a slow disk (a file on a sleeping USB disk or a network share: the
// stat of a short path, the open of a file handed to the engine host), made on a thread of
// their own so the window's thread never waits for them. Each call gets its own thread: one
// that hangs for good (a share that went away) holds up no other. Its result comes back on the
// thread that made this object, from its event loop; once the object is gone, results are
// dropped where they are made.
class SlowCalls {
public:
    SlowCalls();
    ~SlowCalls();
    SlowCalls(const SlowCalls&) = delete;
    SlowCalls& operator=(const SlowCalls&) = delete;

    // Runs `call` on a thread of its own, then `done` with its result here, never within run().
    template <class Result> void run(std::function<Result()> call, std::function<void(Result)> done)
    {
        start([mailbox = m_mailbox, call = std::move(call), done = std::move(done)]() mutable {
            auto result = std::make_shared<Result>(call());
            post(*mailbox, [done = std::move(done), result] { done(std::move(*result)); });
        });
    }

private:
    // Where the calls' threads post their results; empty once the object is gone.
    struct Mailbox {
        std::mutex mutex;
        QObject* receiver = nullptr;
    };

    void start(std::function<void()> work);
    static void post(Mailbox& mailbox, std::function<void()> result);

    QObject m_receiver;
    std::shared_ptr<Mailbox> m_mailbox;
};

}  // namespace zelko::channels
