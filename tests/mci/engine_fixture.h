// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci/engine.h"
#include "platform/time_limit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace zelko::mci::test {

// The clips that scripts/make-clips made.
inline std::string clip(const std::string& name)
{
    return std::string(ZELKO_CLIPS_DIR) + "/" + name;
}

// One engine per test.
class EngineTest : public ::testing::Test {
protected:
    uint32_t code(const std::string& command) { return m_engine.sendString(command, m_reply, sizeof m_reply, 0); }
    // The reply, or "error <code>" when the command failed.
    std::string reply(const std::string& command)
    {
        const uint32_t answer = code(command);
        return answer == 0 ? std::string(m_reply) : "error " + std::to_string(answer);
    }
    int64_t number(const std::string& command)
    {
        EXPECT_EQ(code(command), 0u) << command;
        return std::atoll(m_reply);
    }
    void open(const std::string& name, const std::string& alias = "m")
    {
        ASSERT_EQ(code("open " + clip(name) + " alias " + alias), 0u) << name;
    }

    // Polls until `done` holds or the deadline passes.
    template <typename Predicate>
    bool waitUntil(Predicate done, std::chrono::milliseconds timeout = platform::timeLimit(std::chrono::seconds(10)))
    {
        for (const auto deadline = std::chrono::steady_clock::now() + timeout; !done();) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
    bool waitStopped(const std::string& alias = "m")
    {
        return waitUntil([&] { return reply("status " + alias + " mode") == "stopped"; });
    }

    Engine m_engine;
    char m_reply[128] = "";
};

}  // namespace zelko::mci::test
