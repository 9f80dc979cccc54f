// SPDX-License-Identifier: GPL-3.0-or-later
// The media module on a channel that answers later, as the engine host does: each operation
// waits for every command's answer before it sends the next, goes on from the answer, and a task
// destroyed while it waits abandons its command, whose late answer then reaches nobody. With a
// channel that answers at once the same task never suspends.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "media/module_multimedia.h"
#include "tests/media/task_now.h"

namespace zelko {

namespace {

using media::MciChannel;
using media::ModuleMultimedia;
using media::Task;

// Holds every command until the test answers it; answers with the scripted reply, else 0 and
// an empty reply. Descriptions read "error <code>".
class LaterChannel final : public MciChannel {
public:
    struct Pending {
        RequestId id;
        std::string command;
        Completion completion;
    };
    std::deque<Pending> pending;
    std::vector<std::string> sent;
    std::vector<RequestId> abandoned;
    std::map<std::string, std::pair<uint32_t, std::string>> replies;

    RequestId send(std::string_view command, uint32_t, Completion completion) override
    {
        sent.emplace_back(command.substr(0, command.find_last_not_of(' ') + 1));
        pending.push_back({++m_lastId, sent.back(), std::move(completion)});
        return m_lastId;
    }
    void abandon(RequestId request) override { abandoned.push_back(request); }
    // Answers the oldest command; false when none waits.
    bool answerNext()
    {
        if (pending.empty()) {
            return false;
        }
        Pending next = std::move(pending.front());
        pending.pop_front();
        const auto scripted = replies.find(next.command);
        const auto [code, text] = scripted != replies.end() ? scripted->second : std::pair<uint32_t, std::string>{};
        next.completion(code, text);
        return true;
    }
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override
    {
        return std::snprintf(buffer, length, "error %u", code) > 0;
    }
    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override
    {
        return static_cast<uint32_t>(std::snprintf(buffer, length, "%s", longPath));
    }
    bool getWindowRect(int64_t, platform::WindowRect&) override { return false; }

private:
    RequestId m_lastId = 0;
};

// A procedure as the window writes one: several operations in turn, keeping what they give.
Task<std::string> StartAndMeasure(ModuleMultimedia& media, std::vector<std::string>& noted)
{
    const std::string opened = co_await media.OpenMedia(7, "movie", "/clips/a.mpg", "MPEGVideo");
    noted.push_back(opened);
    const int32_t fps = co_await media.GetFramesPerSecond("movie");
    noted.push_back(std::to_string(fps));
    co_return co_await media.PlayMedia("movie", "", "");
}

}  // namespace

TEST(LaterChannel, EachCommandWaitsForTheAnswerBeforeItAndTheProcedureGoesOnFromTheAnswers)
{
    LaterChannel channel;
    channel.replies["status movie length"] = {0, "2000"};
    ModuleMultimedia media(channel);
    std::vector<std::string> noted;
    Task<std::string> procedure = StartAndMeasure(media, noted);
    EXPECT_TRUE(channel.sent.empty()) << "a task does nothing before it is started";
    bool ended = false;
    procedure.start([](void* flag) { *static_cast<bool*>(flag) = true; }, &ended);

    std::vector<size_t> inFlight;
    while (!procedure.done()) {
        inFlight.push_back(channel.pending.size());
        ASSERT_TRUE(channel.answerNext());
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(inFlight, std::vector<size_t>(inFlight.size(), 1u)) << "never two commands in flight";
    const std::vector<std::string> expected = {
        "open /clips/a.mpg type MPEGVideo Alias movie parent 7 Style 1073741824",
        "set movie time format ms",
        "status movie length",
        "set movie time format frames",
        "set movie time format frames",
        "status movie length",
        "set movie time format frames",
        "status movie length",
        "play movie from 0 to 2000",
    };
    EXPECT_EQ(channel.sent, expected);
    EXPECT_EQ(noted, (std::vector<std::string>{"Success", "1000"}));
    EXPECT_EQ(procedure.await_resume(), "Success");
    EXPECT_TRUE(channel.abandoned.empty());
}

TEST(LaterChannel, ADestroyedTaskAbandonsItsCommandAndALateAnswerReachesNobody)
{
    LaterChannel channel;
    ModuleMultimedia media(channel);
    std::vector<std::string> noted;
    auto procedure = std::make_unique<Task<std::string>>(StartAndMeasure(media, noted));
    bool ended = false;
    procedure->start([](void* flag) { *static_cast<bool*>(flag) = true; }, &ended);
    ASSERT_TRUE(channel.answerNext());  // the open
    ASSERT_EQ(channel.pending.size(), 1u);
    const MciChannel::RequestId waitedFor = channel.pending.front().id;

    procedure.reset();  // the window gives the procedure up while its length query waits
    EXPECT_EQ(channel.abandoned, std::vector<MciChannel::RequestId>{waitedFor});
    EXPECT_TRUE(channel.answerNext()) << "the late answer comes all the same";
    EXPECT_TRUE(channel.pending.empty()) << "and nothing went on from it";
    EXPECT_FALSE(ended);
    EXPECT_EQ(noted, std::vector<std::string>{"Success"});
}

TEST(LaterChannel, AFailureFoundLaterIsKeptAsOnAnImmediateAnswer)
{
    LaterChannel channel;
    channel.replies["Stop movie"] = {263, ""};
    ModuleMultimedia media(channel);
    Task<std::string> stop = media.StopMedia("movie");
    stop.start(nullptr, nullptr);
    ASSERT_FALSE(stop.done());
    ASSERT_TRUE(channel.answerNext());
    ASSERT_TRUE(stop.done());
    EXPECT_EQ(stop.await_resume(), "error 263");
    EXPECT_EQ(media.LastFailure().code, 263u);
    EXPECT_EQ(media.LastFailure().text, "error 263");
}

}  // namespace zelko
