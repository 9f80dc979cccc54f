// SPDX-License-Identifier: GPL-3.0-or-later
// The host channel's hosts: started, greeted, read from the event loop, lost and replaced, tried
// again after a failed start, refused when they come from another build. Every kill, death and
// start is logged under zelko.channels with its cause.
#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>
#include <system_error>

#include "channels/host_channel.h"
#include "channels/log.h"
#include "platform/mci_error_codes.h"
#include "platform/time_limit.h"

namespace zelko::channels {

namespace {

using namespace std::chrono_literals;
using mci::code::kInvalidFile;

// A host that closed its channel is on its way out; it is given this long to be gone.
constexpr int kEndingMs = platform::timeLimit(500);
// How long a closing window lets the host close its devices before it is killed.
constexpr int kClosingMs = platform::timeLimit(1000);
// After a failed start the next try waits this long, twice as long after each further failure,
// up to the longest wait.
constexpr std::chrono::milliseconds kFirstRetry = 500ms;
constexpr std::chrono::milliseconds kLongestRetry = 30s;

std::string howItEnded(std::optional<int> status)
{
    if (!status) {
        return "left its channel and was killed";
    }
    if (WIFSIGNALED(*status)) {
        const int signal = WTERMSIG(*status);
        return "died of signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")";
    }
    return "exited with status " + std::to_string(WEXITSTATUS(*status));
}

std::chrono::milliseconds retryAfter(int failures)
{
    std::chrono::milliseconds wait = kFirstRetry;
    for (int i = 1; i < failures && wait < kLongestRetry; ++i) {
        wait *= 2;
    }
    return std::min(wait, kLongestRetry);
}

}  // namespace

HostChannel::~HostChannel()
{
    m_deadlines.stop();
    m_retry.stop();
    if (m_link) {
        const int pid = m_link->pid();
        if (!m_link->ready()) {
            m_link->kill();  // a host still starting holds no device
        } else if (!m_link->close(kClosingMs)) {
            // The host reads the end of its channel and closes its devices on the way out.
            qCWarning(lcChannels, "killed the engine host (pid %d): it did not end within %d ms of the window closing",
                      pid, kClosingMs);
        }
        m_link.reset();
    }
    // Hosts still on their way out are killed, and nothing more is told.
    qDeleteAll(m_context.children());
    if (!m_runtimeFolder.empty()) {
        std::error_code error;
        std::filesystem::remove_all(m_runtimeFolder, error);
    }
}

void HostChannel::warmUp()
{
    Entry entry(*this);
    if (!m_link && !m_spawning && m_refusal.empty() && !m_retry.isActive()) {
        startHost(0);
    }
}

// Starts the next host, off the window's thread (HostStarter). Until the host is there and has
// said hello, requests wait in the queue, each within its deadline.
void HostChannel::startHost(int replacing)
{
    if (!m_refusal.empty() || m_spawning) {
        return;
    }
    m_published.forget();
    m_spawning = true;
    m_spawnedAt = Clock::now();
    const uint64_t generation = ++m_generation;
    m_starter.start(m_program, m_runtimeFolder, m_starts > 0,
                    [this, generation, replacing](HostStarter::Started started) {
                        onSpawned(generation, replacing, std::move(started));
                    });
    armDeadlines();  // its start's
}

void HostChannel::onSpawned(uint64_t generation, int replacing, HostStarter::Started spawned)
{
    Entry entry(*this);
    if (!m_spawning || generation != m_generation) {
        return;  // its start was given up meanwhile: its host goes with `spawned`
    }
    m_spawning = false;
    if (!spawned.process) {
        startFailed(spawned.why, false);
        return;
    }
    m_link = HostLink::adopt(std::move(spawned.process), m_spawnedAt, &m_context, [this] { onReadable(); });
    ++m_starts;
    // After the hello, the page the host publishes its devices' state on, a new one for each host.
    if (platform::UniqueFd page = m_published.renew()) {
        m_link->write(mci::wire::pack(0, mci::wire::SharePage{std::move(page)}));
    }
    if (replacing != 0) {
        qCInfo(lcChannels, "started the engine host (pid %d) in place of pid %d", m_link->pid(), replacing);
    } else {
        qCDebug(lcChannels, "started the engine host (pid %d)", m_link->pid());
    }
    armDeadlines();  // its hello's
    pump();
}

void HostChannel::onRetry()
{
    Entry entry(*this);
    if (!m_link && !m_spawning) {
        startHost(0);
    }
    pump();
}

void HostChannel::onReadable()
{
    Entry entry(*this);
    const uint64_t generation = m_generation;
    // Everything that has arrived, frame by frame, for as long as this host is the channel's.
    while (m_link && m_generation == generation) {
        mci::wire::Frame frame;
        switch (m_link->next(frame)) {
        case mci::wire::ReadResult::Frame:
            if (m_link->ready()) {
                onReply(frame);
            } else {
                greet(frame);
            }
            break;
        case mci::wire::ReadResult::TimedOut: return;  // nothing more yet
        case mci::wire::ReadResult::Closed:
            if (!m_link->ready()) {
                startFailed("it ended before its hello", true);
            } else {
                loseHost(Loss::Ended, m_inFlight ? "while answering " + m_inFlight->asked() : "while idle");
            }
            return;
        case mci::wire::ReadResult::Malformed:
            if (!m_link->ready()) {
                refuse("it does not speak the engine's wire");
            } else {
                loseHost(Loss::Nonsense, "sent a broken frame" + (m_inFlight ? " for " + m_inFlight->asked() : ""));
            }
            return;
        }
    }
}

void HostChannel::greet(mci::wire::Frame& frame)
{
    mci::wire::Hello hello;
    if (!mci::wire::unpack(frame, hello) || hello.magic != mci::wire::kMagic) {
        refuse("it does not speak the engine's wire");
        return;
    }
    if (hello.version != mci::wire::kVersion) {
        refuse("it speaks version " + std::to_string(hello.version) + " of the engine's wire, this window version " +
               std::to_string(mci::wire::kVersion) + "; the two come from different builds");
        return;
    }
    m_link->setReady();
    if (std::exchange(m_failures, 0) > 0) {
        qCInfo(lcChannels, "the media engine has started (pid %d)", m_link->pid());
    }
    m_retry.stop();
    armDeadlines();
    pump();
}

void HostChannel::loseHost(Loss loss, const std::string& cause)
{
    const char* why = loss == Loss::Missed  ? "stopped answering"
                      : loss == Loss::Ended ? "has stopped"
                                            : "answered nonsense";
    if (loss != Loss::GivenUp) {
        m_details[kInvalidFile] = {
            "The file cannot be played: the media engine " + std::string(why) + "; it was restarted.", {}};
    }
    m_opened.clear();
    std::unique_ptr<HostLink> lost = std::move(m_link);
    const int pid = lost->pid();
    if (loss == Loss::Ended) {
        // Its end is learnt from the event loop too, and told when it is known.
        watchEnd(lost->release(), kEndingMs, &m_context, [pid, cause](std::optional<int> status) {
            qCWarning(lcChannels, "the engine host (pid %d) %s %s", pid, howItEnded(status).c_str(), cause.c_str());
        });
    } else {
        lost->kill();
        qCWarning(lcChannels, "killed the engine host (pid %d): it %s", pid, cause.c_str());
    }
    lost.reset();
    if (m_inFlight) {
        const std::unique_ptr<Request> unanswered = std::move(m_inFlight);
        failByWindow(*unanswered);
    }
    startHost(pid);
}

void HostChannel::startFailed(const std::string& cause, bool ended)
{
    m_details[kInvalidFile] = {"The file cannot be played: the media engine could not start.", {}};
    // Told once, with its cause, until a host has started again.
    const bool first = m_failures++ == 0;
    const auto tell = [first](const std::string& what) {
        if (first) {
            qCCritical(lcChannels, "the media engine could not start: %s; it is tried again from time to time",
                       what.c_str());
        } else {
            qCDebug(lcChannels, "the media engine could not start again: %s", what.c_str());
        }
    };
    if (std::unique_ptr<HostLink> failed = std::move(m_link)) {
        const std::string host = "the engine host (pid " + std::to_string(failed->pid()) + ") ";
        if (ended) {
            watchEnd(failed->release(), kEndingMs, &m_context, [tell, host, cause](std::optional<int> status) {
                tell(host + howItEnded(status) + ": " + cause);
            });
        } else {
            failed->kill();
            tell(host + cause);
        }
    } else {
        tell(cause);
    }
    m_opened.clear();
    m_published.forget();
    m_retry.start(static_cast<int>(retryAfter(m_failures).count()));
    // No host will come soon: what waits for one is answered now.
    if (m_inFlight) {
        const std::unique_ptr<Request> unanswered = std::move(m_inFlight);
        failByWindow(*unanswered);
    }
    failQueued();
    armDeadlines();
}

void HostChannel::refuse(const std::string& reason)
{
    m_refusal = reason;
    m_details[kInvalidFile] = {"The file cannot be played: the media engine is of another build of the player.", {}};
    qCCritical(lcChannels,
               "refused the engine host %s (pid %d): %s; no file will play until the player is "
               "installed again",
               m_program.c_str(), m_link->pid(), reason.c_str());
    m_link->kill();
    m_link.reset();
    m_opened.clear();
    m_published.forget();
    m_retry.stop();
    if (m_inFlight) {
        const std::unique_ptr<Request> unanswered = std::move(m_inFlight);
        failByWindow(*unanswered);
    }
    failQueued();
    armDeadlines();
}

}  // namespace zelko::channels
