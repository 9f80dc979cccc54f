#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "media/mci_channel.h"

// A scripted MCI channel: records every command exactly as sent, with the reply buffer offered,
// and answers from a script keyed by the command's text without its padding. A command with
// several scripted answers gets them in turn, and the last one from then on; an unscripted
// command answers 0 with an empty reply.
class FakeChannel final : public MciChannel {
public:
    struct Sent {
        std::string text;
        bool replyBuffer = false;
        uint32_t replyLength = 0;
        std::uintptr_t callbackWindow = 0;
    };
    struct Answer {
        uint32_t code = 0;
        std::string reply;
    };

    void answer(const std::string& command, uint32_t code, const std::string& reply = {})
    {
        m_answers[command].push_back({code, reply});
    }
    void answerReply(const std::string& command, const std::string& reply) { answer(command, 0, reply); }

    // The short form the stand-in hands back, and what the call returns.
    void scriptShortPath(std::string text, uint32_t result)
    {
        m_shortPath = std::move(text);
        m_shortPathResult = result;
    }
    void scriptWindowRect(zelko::platform::WindowRect rect, bool found)
    {
        m_rect = rect;
        m_rectFound = found;
    }

    std::vector<Sent> sent;
    std::vector<std::string> shortPathAsked;
    std::vector<uint32_t> shortPathLengths;
    std::vector<int64_t> windowRectAsked;
    std::vector<uint32_t> errorLengths;

    // The texts only, for tests that do not look at the reply buffers.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const Sent& s : sent)
            result.push_back(s.text);
        return result;
    }

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength,
                        std::uintptr_t callbackWindow) override
    {
        sent.push_back({std::string(command), reply != nullptr, replyLength, callbackWindow});
        Answer a = next(trimmed(std::string(command)));
        if (reply && replyLength > 0) {
            std::size_t n = std::min<std::size_t>(a.reply.size(), replyLength - 1);
            std::memcpy(reply, a.reply.data(), n);
            reply[n] = '\0';
        }
        return a.code;
    }

    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override
    {
        errorLengths.push_back(length);
        std::string text = "error " + std::to_string(code);
        std::size_t n = std::min<std::size_t>(text.size(), length - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return true;
    }

    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override
    {
        shortPathAsked.push_back(longPath);
        shortPathLengths.push_back(length);
        if (m_shortPathResult != 0 && m_shortPathResult < length)
            std::memcpy(buffer, m_shortPath.c_str(), std::min<std::size_t>(m_shortPath.size() + 1, length));
        return m_shortPathResult;
    }

    bool getWindowRect(int64_t windowHandle, zelko::platform::WindowRect& rect) override
    {
        windowRectAsked.push_back(windowHandle);
        if (m_rectFound)
            rect = m_rect;
        return m_rectFound;
    }

private:
    static std::string trimmed(std::string text)
    {
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        return text;
    }

    Answer next(const std::string& command)
    {
        auto found = m_answers.find(command);
        if (found == m_answers.end() || found->second.empty())
            return {};
        Answer a = found->second.front();
        if (found->second.size() > 1)
            found->second.pop_front();
        return a;
    }

    std::map<std::string, std::deque<Answer>> m_answers;
    std::string m_shortPath;
    uint32_t m_shortPathResult = 0;
    zelko::platform::WindowRect m_rect;
    bool m_rectFound = false;
};
