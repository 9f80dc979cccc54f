// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "channels/host_process.h"
#include "channels/published_state.h"
#include "media/mci_channel.h"
#include "platform/error_detail.h"
#include "platform/media_file.h"
#include "platform/mci/trace.h"
#include "platform/mci_host/messages.h"
#include "platform/tag_source.h"
#include "platform/time_limit.h"

namespace zelko::channels {

// The product's channel: the MCI engine runs in zelko-mci-host, and every command reaches it
// over a socket pair with a deadline. The window opens the file each open names and hands the
// host its descriptor; the host reads nothing else. A host that misses the deadline, dies or
// talks nonsense is killed and a fresh one started at once, to ready itself while the window
// goes on; the command answers as an unplayable file does (296), and the old host's aliases are
// gone with it. A host of another build is refused, and no other is started. Short paths and
// window rectangles are the window's own, as in EngineChannel. It is also where the desktop
// reads a file's tags: the host keeps what it met when it opened the file.
class HostChannel final : public media::MciChannel, public platform::TagSource {
public:
    explicit HostChannel(std::string hostProgram = defaultHostProgram());
    ~HostChannel() override;
    HostChannel(const HostChannel&) = delete;
    HostChannel& operator=(const HostChannel&) = delete;

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength,
                        std::uintptr_t callbackWindow) override;
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override;
    std::string missingDecoder(uint32_t code) override;
    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override;
    bool getWindowRect(int64_t windowHandle, platform::WindowRect& rect) override;
    // Asks the running host for the tags it met in the file, by kTagsDeadline; `done` runs within
    // the call. A file this host did not open (one whose open cost the host that tried it, say) is
    // not asked about, and never read again: its tags are empty.
    void readTags(const std::string& path, Done done) override;

    // Starts the host when none runs; it readies GStreamer on its own. Returns at once.
    void warmUp();

    // How long `command` may take before its host is given up: an open may preroll for 5 s;
    // a transport command may wait for a seek's 3 s preroll; a query answers at once.
    static std::chrono::milliseconds deadlineFor(std::string_view command);
    // The host answers a tag request from what it kept, without reading the file.
    static constexpr std::chrono::milliseconds kTagsDeadline = platform::timeLimit(std::chrono::milliseconds(1000));
    // The running host's process id, 0 when none runs (for tests that kill or stop it).
    int hostPid() const { return m_host ? m_host->pid() : 0; }

private:
    enum class Outcome { Answered, Lost };
    // How a host was lost: it missed a deadline, ended, or answered nonsense.
    enum class Loss { Missed, Ended, Nonsense };

    // What a request asks, as the log names it ("the tags of" "/a.mp3"); put in words only when
    // a host is lost over it.
    struct Asked {
        std::string_view label;
        std::string_view subject;
        std::string text() const;
    };
    // Sends one request and reads its reply (the frame with the request's number) within
    // `limit`, first greeting a starting host.
    Outcome exchange(mci::wire::Frame request, Asked asked, std::chrono::milliseconds limit, mci::wire::Frame& reply);
    // Reads the starting host's hello; refuses one of another build.
    bool greet();
    bool startHost(int replacing);
    // Gives up the host, saying why in the log: kills it and starts the next one.
    void replaceHost(Loss loss, const std::string& cause);
    // A host of another build: no host is started any more, every command answers 296.
    void refuse(const std::string& reason);
    // The file an open names, opened here for the host; records which file it is.
    mci::wire::FileGrant grantFor(const std::string& path);

    std::string m_program;
    std::string m_runtimeFolder;
    std::unique_ptr<HostProcess> m_host;
    std::unique_ptr<mci::wire::FrameReader> m_reader;
    bool m_ready = false;
    int m_starts = 0;
    uint32_t m_nextRequest = 1;
    std::string m_refusal;  // why hosts are refused; empty while they are not
    // The detail of the latest failure of each code, as the host or the channel told it.
    std::map<uint32_t, platform::ErrorDetail> m_details;
    // The files the running host opened (the latest last), whose tags it can tell.
    std::deque<platform::FileIdentity> m_opened;
    mci::Trace m_trace;          // the commands this side answered for a host it gave up, or from its page
    PublishedState m_published;  // what the running host publishes of its devices
};

}  // namespace zelko::channels
