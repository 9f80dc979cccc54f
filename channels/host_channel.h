// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "channels/host_process.h"
#include "media/mci_channel.h"
#include "platform/mci/trace.h"
#include "platform/mci_host/wire.h"

namespace zelko::channels {

// The product's channel: the MCI engine runs in zelko-mci-host, and every command reaches it
// over a socket pair with a deadline. A host that misses the deadline, dies or talks nonsense
// is killed and a fresh one started at once, to ready itself while the window goes on; the
// command answers as an unplayable file does (296), and the old host's aliases are gone with
// it. Short paths and window rectangles are the window's own, as in EngineChannel.
class HostChannel final : public media::ImmediateChannel {
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

    // Starts the host when none runs; it readies GStreamer on its own. Returns at once.
    void warmUp();

    // How long `command` may take before its host is given up: an open may preroll for 5 s;
    // a transport command may wait for a seek's 3 s preroll; a query answers at once.
    static std::chrono::milliseconds deadlineFor(std::string_view command);
    // The running host's process id, 0 when none runs (for tests that kill or stop it).
    int hostPid() const { return m_host ? m_host->pid() : 0; }

private:
    enum class Outcome { Answered, Lost };
    // Sends one frame and reads the answer within `limit`, first waiting for a starting
    // host's hello.
    Outcome exchange(const mci::wire::Frame& request, std::chrono::milliseconds limit, mci::wire::Frame& answer);
    // Reads the next frame, of `kind`, by the deadline; gives the host up otherwise.
    bool receive(mci::wire::Kind kind, mci::wire::Clock::time_point deadline, mci::wire::Frame& answer);
    bool startHost();
    // Gives up the host: kills it and starts the next one in the background.
    void replaceHost(const std::string& why);

    std::string m_program;
    std::string m_runtimeFolder;
    std::unique_ptr<HostProcess> m_host;
    std::unique_ptr<mci::wire::FrameReader> m_reader;
    bool m_ready = false;
    int m_starts = 0;
    // The description of the latest failure of each code, as the host or the channel told it.
    struct Detail {
        std::string text;
        std::string missingDecoder;
    };
    std::map<uint32_t, Detail> m_details;
    mci::Trace m_trace;  // the commands this side answered for a host it gave up
};

}  // namespace zelko::channels
