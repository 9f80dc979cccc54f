// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <map>
#include <optional>

#include "media/mci_channel.h"

namespace zelko {

// A scripted MCI channel: records every command exactly as sent with the reply length offered
// (0 without a buffer), and answers from a script keyed by the command without its padding.
// A command with several scripted answers gets them in turn and the last one from then on; an
// unscripted command answers 0 with an empty reply. Descriptions read "error <code>".
class FakeChannel final : public zelko::media::ImmediateChannel {
public:
    using Sent = std::pair<std::string, uint32_t>;  // the text, and the reply length offered
    struct Answer {
        std::string command;
        uint32_t code = 0;
        std::string reply;
    };

    void answer(const Answer& a) { m_script[a.command].push_back(a); }

    std::vector<Sent> sent;
    std::string shortPath = "/clips/TRAILE~1.MPG";  // what the short path call writes, and its result
    uint32_t shortPathResult = 19;
    std::optional<zelko::platform::WindowRect> rect;  // empty: the handle names no window

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength,
                        std::uintptr_t callbackWindow) override
    {
        EXPECT_EQ(callbackWindow, 0u);
        EXPECT_EQ(reply != nullptr, replyLength != 0);
        sent.push_back({std::string(command), replyLength});
        auto& answers = m_script[std::string(command.substr(0, command.find_last_not_of(' ') + 1))];
        Answer a = answers.empty() ? Answer{} : answers.front();
        if (answers.size() > 1) {
            answers.pop_front();
        }
        if (reply) {
            std::snprintf(reply, replyLength, "%s", a.reply.c_str());
        }
        return a.code;
    }
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override
    {
        EXPECT_EQ(length, 128u);
        return std::snprintf(buffer, length, "error %u", code) > 0;
    }
    uint32_t getShortPathName(const char*, char* buffer, uint32_t length) override
    {
        EXPECT_EQ(length, 255u);
        if (shortPathResult != 0 && shortPathResult < length) {
            std::snprintf(buffer, length, "%s", shortPath.c_str());
        }
        return shortPathResult;
    }
    bool getWindowRect(int64_t, zelko::platform::WindowRect& r) override
    {
        r = rect.value_or(r);
        return rect.has_value();
    }

private:
    std::map<std::string, std::deque<Answer>> m_script;
};

}  // namespace zelko
