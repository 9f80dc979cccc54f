// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "channels/host_channel.h"

namespace zelko::test {

// The host channel as a test drives it: each call made, then the test's own event loop run
// until it is answered (the channel answers from there), within a limit of the test's own.
class HostCalls {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kLimit{30};

    explicit HostCalls(channels::HostChannel& channel) : m_channel(channel) { application(); }

    // The command's code, once answered; its reply, in a 256-character buffer, in reply().
    uint32_t send(const std::string& command, uint32_t replyLength = 256)
    {
        std::optional<uint32_t> code;
        m_channel.send(command, replyLength, [this, &code](uint32_t answered, std::string_view reply) {
            code = answered;
            m_reply = reply;
        });
        runUntil([&code] { return code.has_value(); }, kLimit);
        return code.value_or(0xffffffffu);
    }
    const std::string& reply() const { return m_reply; }
    // Runs the event loop until a host has been started (its start is made on another thread);
    // whether one was.
    bool waitForHost()
    {
        return runUntil([this] { return m_channel.hostPid() != 0; }, kLimit);
    }
    channels::HostChannel& channel() const { return m_channel; }
    std::string description(uint32_t code)
    {
        char text[256] = {};
        return m_channel.getErrorString(code, text, sizeof text) ? text : "";
    }
    platform::TrackTags tags(const std::string& path)
    {
        std::optional<platform::TrackTags> told;
        m_channel.readTags(path, [&told](platform::TrackTags tags) { told = std::move(tags); });
        runUntil([&told] { return told.has_value(); }, kLimit);
        if (!told) {
            platform::TrackTags none;
            none.title = "(not told)";
            return none;
        }
        return *told;
    }

    // Runs the event loop until `done` holds or `limit` has passed; whether it held.
    static bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
    {
        const Clock::time_point end = Clock::now() + limit;
        QTimer wake;  // the loop wakes for the limit even when nothing else comes
        wake.setSingleShot(true);
        while (!done()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
            if (left.count() <= 0) {
                return false;
            }
            wake.start(static_cast<int>(left.count()));
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return true;
    }
    // The application the channel needs for its event loop: made once, on first use.
    static void application()
    {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "zelko-media-test";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }

private:
    channels::HostChannel& m_channel;
    std::string m_reply;
};

}  // namespace zelko::test
