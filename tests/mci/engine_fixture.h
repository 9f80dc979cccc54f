#pragma once

#include "platform/mci/engine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <string>
#include <thread>

namespace zelko::mci::test {

struct Answer {
    uint32_t code = 0;
    std::string reply;
};

// A CTest-friendly name for a test case: letters and digits kept, anything else as '_'.
inline std::string caseLabel(const std::string& text)
{
    std::string label;
    for (const char c : text) {
        label += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return label.empty() ? "empty" : label;
}

inline std::string clipPath(const std::string& name) { return std::string(ZELKO_CLIPS_DIR) + "/" + name; }

// One engine per test, with the clips that scripts/make-clips made.
class EngineTest : public ::testing::Test {
protected:
    static std::string clip(const std::string& name) { return clipPath(name); }

    Answer send(const std::string& command)
    {
        char reply[128];
        Answer answer;
        answer.code = m_engine.sendString(command, reply, sizeof reply, 0);
        answer.reply = reply;
        return answer;
    }
    uint32_t code(const std::string& command) { return send(command).code; }
    int64_t number(const std::string& command)
    {
        const Answer answer = send(command);
        EXPECT_EQ(answer.code, 0u) << command;
        return answer.code == 0 ? std::stoll(answer.reply) : -1;
    }
    void open(const std::string& name, const std::string& alias = "m")
    {
        ASSERT_EQ(code("open " + clip(name) + " alias " + alias), 0u) << name;
    }

    // Polls the engine until `done` holds or the deadline passes.
    template <typename Predicate>
    bool waitUntil(Predicate done, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    Engine m_engine;
};

}  // namespace zelko::mci::test
