// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/host_starter.h"

#include <QMetaObject>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace zelko::channels {

// What the window's side and the starting thread share; the thread holds it as long as it runs.
struct HostStarter::Shared {
    struct Job {
        std::string program;
        std::string runtimeFolder;
        bool quiet = false;
        Done done;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;
    QObject* receiver = nullptr;  // null once the starter is gone: the thread then ends
    bool running = false;

    void run();
    void post(Job& job, Started started);
};

HostStarter::Started::~Started()
{
    if (process) {
        process->kill();
    }
}

HostStarter::HostStarter() : m_shared(std::make_shared<Shared>())
{
    m_shared->receiver = &m_receiver;
}

HostStarter::~HostStarter()
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->receiver = nullptr;
    m_shared->jobs.clear();
    m_shared->wake.notify_all();
}

void HostStarter::start(std::string program, std::string runtimeFolder, bool quiet, Done done)
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->jobs.push_back({std::move(program), std::move(runtimeFolder), quiet, std::move(done)});
    if (std::exchange(m_shared->running, true)) {
        m_shared->wake.notify_all();
        return;
    }
    try {
        std::thread([shared = m_shared] { shared->run(); }).detach();
    } catch (const std::system_error& error) {
        // No thread to be had (the process is at its limit): the host cannot be tied to one
        // that lives on, so it is not started.
        m_shared->running = false;
        Shared::Job job = std::move(m_shared->jobs.back());
        m_shared->jobs.pop_back();
        lock.unlock();
        Started started;
        started.why = std::string("no thread to start it on (") + error.what() + ")";
        QMetaObject::invokeMethod(
            &m_receiver,
            [done = std::move(job.done), started = std::make_shared<Started>(std::move(started))] {
                done(std::move(*started));
            },
            Qt::QueuedConnection);
    }
}

void HostStarter::Shared::run()
{
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return receiver == nullptr || !jobs.empty(); });
        if (receiver == nullptr) {
            return;  // the hosts this thread started go with it
        }
        Job job = std::move(jobs.front());
        jobs.pop_front();
        lock.unlock();
        Started started;
        started.process = HostProcess::start(job.program, job.runtimeFolder, job.quiet, started.why);
        lock.lock();
        post(job, std::move(started));
    }
}

// Held under the mutex, so the receiver cannot go between the look and the post; a posted start
// that has not been taken when the receiver goes is dropped with it, and its host killed.
void HostStarter::Shared::post(Job& job, Started started)
{
    if (receiver == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        receiver,
        [done = std::move(job.done), started = std::make_shared<Started>(std::move(started))] {
            done(std::move(*started));
        },
        Qt::QueuedConnection);
}

}  // namespace zelko::channels
