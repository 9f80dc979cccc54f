// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "channels/host_link.h"
#include "channels/host_process.h"
#include "channels/host_starter.h"
#include "channels/published_state.h"
#include "channels/slow_calls.h"
#include "media/mci_channel.h"
#include "platform/error_detail.h"
#include "platform/media_file.h"
#include "platform/mci/trace.h"
#include "platform/mci_host/messages.h"
#include "platform/tag_source.h"
#include "platform/time_limit.h"

namespace zelko::channels {

// The product's channel: the MCI engine runs in zelko-mci-host, and every command reaches it
// over a socket pair, without the window's thread ever waiting for it. A command is written as
// soon as the host is free (one at a time: the host answers in turn), its reply is read from the
// window's event loop (a socket notifier) and matched by the wire's request id, and it has a
// deadline from the moment it is sent. A host that misses the deadline, dies or talks nonsense
// is killed and a fresh one started at once, to ready itself while the window goes on; the
// command it was answering answers as an unplayable file does (296), and the old host's aliases
// are gone with it. The timers' queries while a file plays are answered inside send() from the
// state the host publishes, when no command is pending in it (PublishedState); they never reach
// the host. Commands sent while a host starts wait for its hello, each within its own
// deadline; a host that cannot start is told once in the log and tried again later and later,
// and meanwhile every command answers 296 at once. A host of another build is refused, and no
// other is started.
//
// The window opens the file each open names and hands the host its descriptor; the host reads
// nothing else. That open, and the look-up of a short path, are made on threads of their own
// (a sleeping disk, a network share), and the open's command goes out once its file is open,
// still in its turn. Descriptions, window rectangles and missing decoders are the window's own
// and answer at once. It is also where the desktop reads a file's tags: the host keeps what it
// met when it opened the file.
//
// Everything runs on the thread that made the channel, which must run a Qt event loop.
// Completions may send and abandon; they are called when the channel has finished its own work.
class HostChannel final : public media::MciChannel, public platform::TagSource {
public:
    explicit HostChannel(std::string hostProgram = defaultHostProgram());
    // A host that has said hello is given kClosingMs to close its devices (an abandoned Close
    // All it has in hand included); this waits, after the window's event loop has ended.
    ~HostChannel() override;
    HostChannel(const HostChannel&) = delete;
    HostChannel& operator=(const HostChannel&) = delete;

    RequestId send(std::string_view command, uint32_t replyLength, Completion completion) override;
    // Forgets the request. A host that has the command in hand goes on with it; it is killed
    // and replaced when another request needs it, or at the command's deadline.
    void abandon(RequestId request) override;
    RequestId findShortPath(std::string_view longPath, uint32_t length, Completion completion) override;
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override;
    std::string missingDecoder(uint32_t code) override;
    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override;
    bool getWindowRect(int64_t windowHandle, platform::WindowRect& rect) override;
    // Asks the running host for the tags it met in the file, within kTagsDeadline; `done` runs
    // from the event loop, or within the call when no host has opened any file. A file this host
    // did not open (one whose open cost the host that tried it, say) is not asked about, and
    // never read again: its tags are empty.
    void readTags(const std::string& path, Done done) override;

    // Starts the host when none runs; it readies GStreamer on its own. Returns at once.
    void warmUp();

    // How long `command` may take before its host is given up: an open may preroll for 5 s;
    // a transport command may wait for a seek's 3 s preroll; a query answers at once.
    static std::chrono::milliseconds deadlineFor(std::string_view command);
    // The host answers a tag request from what it kept, without reading the file.
    static constexpr std::chrono::milliseconds kTagsDeadline = platform::timeLimit(std::chrono::milliseconds(1000));
    // A new host loads GStreamer's registry before it says hello (all plugins, the first time).
    static constexpr std::chrono::milliseconds kStartDeadline = platform::timeLimit(std::chrono::milliseconds(10000));
    // The running host's process id, 0 when none runs or one is still being started (for tests
    // that kill or stop it).
    int hostPid() const { return m_link ? m_link->pid() : 0; }

private:
    using Clock = mci::wire::Clock;
    // How a host that had said hello was lost: it missed a deadline, ended, answered nonsense,
    // or was busy with a command the window no longer waits for when another was to go.
    enum class Loss { Missed, Ended, Nonsense, GivenUp };

    // One command or tag request, from send() until it is answered.
    struct Request {
        RequestId id = 0;
        std::string command;  // empty for a tag request
        uint32_t replyLength = 0;
        Completion completion;           // a command's; empty once abandoned
        platform::TagSource::Done told;  // a tag request's
        std::string tagsPath;
        platform::FileIdentity file;  // a tag request's file; the file an open hands over
        bool tags = false;
        std::chrono::milliseconds limit{};
        Clock::time_point deadline;
        bool opening = false;                       // its file is being opened on another thread
        std::optional<mci::wire::FileGrant> grant;  // the file an open names, as it was opened
        bool granted = false;                       // `file` names the granted file
        uint32_t wireId = 0;
        bool abandoned = false;

        std::string asked() const;  // as the log names it: "\"status movie mode\""
    };
    // Marks the channel entered for one call into it (a method, or an event from the loop); when
    // the outermost entry finishes, the answers made meanwhile are handed out, so a completion
    // never runs in the middle of the channel's own work, and may send and abandon freely.
    class Entry {
    public:
        explicit Entry(HostChannel& channel) : m_channel(channel), m_outermost(!std::exchange(channel.m_entered, true))
        {
        }
        ~Entry() { finish(); }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
        void finish()
        {
            if (std::exchange(m_outermost, false)) {
                m_channel.handOutAnswers();
                m_channel.m_entered = false;
            }
        }

    private:
        HostChannel& m_channel;
        bool m_outermost;
    };
    struct Opened;
    // A short path being looked up on a thread of its own.
    struct PathLookup {
        Completion completion;
        Clock::time_point deadline;
    };

    // Requests: the queue, the host's turn, answers.
    RequestId enqueue(std::unique_ptr<Request> request);
    void pump();
    mci::wire::Frame frameFor(Request& request);
    void onReply(mci::wire::Frame& frame);
    void answer(Request& request, uint32_t code, std::string reply);
    void answerTags(Request& request, platform::TrackTags tags);
    void failByWindow(Request& request);  // 296, written to the trace by the window
    void failQueued();
    void later(RequestId id, std::function<void()> call);
    void handOutAnswers();
    bool waiting(RequestId id) const;
    void armDeadlines();
    void onDeadline();
    void onFileOpened(RequestId id, Opened opened);
    void rememberOpened(const platform::FileIdentity& file);

    // Hosts: start, hello, loss, failures to start, refusal.
    void startHost(int replacing);
    void onSpawned(uint64_t generation, int replacing, HostStarter::Started spawned);
    void onReadable();
    void greet(mci::wire::Frame& frame);
    void loseHost(Loss loss, const std::string& cause);
    void startFailed(const std::string& cause, bool ended);
    void refuse(const std::string& reason);
    bool failing() const { return m_failures > 0 && !(m_link && m_link->ready()); }
    void onRetry();

    QObject m_context;  // first made, last gone: what answers from the event loop hangs on it
    std::string m_program;
    std::string m_runtimeFolder;
    std::unique_ptr<HostLink> m_link;
    uint64_t m_generation = 0;  // one more for every host started
    bool m_spawning = false;    // a host's process is being started on another thread
    Clock::time_point m_spawnedAt;
    int m_starts = 0;
    int m_failures = 0;     // failed starts since the last hello
    std::string m_refusal;  // why hosts are refused; empty while they are not
    RequestId m_lastId = 0;
    uint32_t m_lastWireId = 0;
    std::deque<std::unique_ptr<Request>> m_queue;  // not yet written, in order
    std::unique_ptr<Request> m_inFlight;           // written, not yet answered
    std::map<RequestId, PathLookup> m_paths;       // short paths being looked up
    std::deque<std::pair<RequestId, std::function<void()>>> m_answers;
    bool m_entered = false;
    QTimer m_deadlines;  // the earliest deadline of a request, or of a starting host's hello
    QTimer m_retry;      // the next try after a failed start
    // The detail of the latest failure of each code, as the host or the channel told it.
    std::map<uint32_t, platform::ErrorDetail> m_details;
    // The files the running host opened (the latest last), whose tags it can tell.
    std::deque<platform::FileIdentity> m_opened;
    mci::Trace m_trace;          // the commands this side answered: for a host that did not, or from its page
    PublishedState m_published;  // what the running host publishes of its devices
    HostStarter m_starter;       // gone after the hosts it started have been closed
    SlowCalls m_slow;            // last made, first gone: no result comes back after it
};

}  // namespace zelko::channels
