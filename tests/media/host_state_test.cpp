// SPDX-License-Identifier: GPL-3.0-or-later
// The state the real engine host publishes, read as the window reads it, against what the
// engine itself answers at the same moments, through playback of a real clip: playing, slowed,
// paused, after a seek, at the end of a range and of the media, stopped, closed. And the
// window's channel answers the timers' queries during playback without the host.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <utility>

#include "channels/host_channel.h"
#include "channels/published_state.h"
#include "platform/media_file.h"
#include "platform/mci_error_codes.h"
#include "platform/mci_host/messages.h"
#include "platform/time_limit.h"
#include "tests/media/host_calls.h"
#include "tests/media/spawned_host.h"

namespace zelko {
namespace {

namespace wire = mci::wire;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How far a position carried on with the clock may lie from the engine's (ms, or frames).
constexpr int64_t kToleranceMs = 10;

std::string clip(const char* name)
{
    return (std::filesystem::path(ZELKO_CLIPS_DIR) / name).string();
}

class HostStateTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_host = test::spawnHost();
        ASSERT_GT(m_host.pid, 0);
        m_reader.emplace(m_host.socket, false);
        wire::Frame frame;
        wire::Hello hello;
        ASSERT_EQ(m_reader->read(frame, Clock::now() + platform::timeLimit(30s)), wire::ReadResult::Frame);
        ASSERT_TRUE(wire::unpack(frame, hello));
        ASSERT_TRUE(wire::writeFrame(m_host.socket, wire::pack(0, wire::Hello{}), std::nullopt));
        ASSERT_TRUE(wire::writeFrame(m_host.socket, wire::pack(0, wire::SharePage{m_state.renew()}), std::nullopt));
    }
    void TearDown() override
    {
        // The host ends when the window closes its channel.
        ::close(m_host.socket);
        ::close(m_host.errors);
        int status = 0;
        ::waitpid(m_host.pid, &status, 0);
    }

    // The engine's own code and reply, from the host.
    std::pair<uint32_t, std::string> ask(const std::string& command)
    {
        wire::Command request{256, command, {}};
        if (command.starts_with("open ")) {
            platform::OpenedFile file = platform::openMediaFile(m_file);
            request.files.push_back({m_file, file.state, file.error, std::move(file.fd)});
        }
        wire::CommandReply answer;
        exchange(wire::pack(++m_request, std::move(request)), answer);
        return {answer.code, answer.reply};
    }
    // A round trip that leaves the engine alone (it does not read its buses): the page changes
    // meanwhile only as the host publishes of its own.
    void idleRoundTrip()
    {
        wire::Description answer;
        exchange(wire::pack(++m_request, wire::Describe{263}), answer);
    }
    template <typename Reply> void exchange(wire::Frame request, Reply& answer)
    {
        wire::Frame frame;
        ASSERT_TRUE(wire::writeFrame(m_host.socket, request, std::nullopt));
        ASSERT_EQ(m_reader->read(frame, Clock::now() + platform::timeLimit(10s)), wire::ReadResult::Frame);
        ASSERT_TRUE(wire::unpack(frame, answer));
    }
    std::optional<std::string> local(const std::string& command) { return m_state.answer(command, 256); }

    // Waits, a round trip at a time, until the page answers `command` with `reply` (any reply
    // when none is given). With `idle`, the host is not asked anything that reads its buses.
    bool awaitLocal(const std::string& command, std::optional<std::string> reply = std::nullopt, bool idle = false)
    {
        const auto deadline = Clock::now() + platform::timeLimit(10s);
        while (Clock::now() < deadline) {
            const std::optional<std::string> answered = local(command);
            if (answered && (!reply || *answered == *reply)) {
                return true;
            }
            if (idle) {
                idleRoundTrip();
            } else {
                ask("status movie volume");
            }
        }
        return false;
    }
    // Mode, length and time format as the engine answers them, and the position too when it
    // stands still.
    void expectSame(bool positionToo = true)
    {
        for (const char* item : {"mode", "length", "time format", "position"}) {
            const std::string command = std::string("status movie ") + item;
            if (!positionToo && command.ends_with("position")) {
                continue;
            }
            const std::optional<std::string> answered = local(command);
            ASSERT_TRUE(answered.has_value()) << command;
            EXPECT_EQ(ask(command), std::make_pair(0u, *answered)) << command;
        }
    }
    // The engine's playing position lies between the page's just before and just after it.
    void expectPositionFollows()
    {
        const std::string command = "status movie position";
        ASSERT_TRUE(awaitLocal(command));
        expectSame(false);
        const std::optional<std::string> before = local(command);
        const auto [code, engine] = ask(command);
        const std::optional<std::string> after = local(command);
        ASSERT_TRUE(before && after && code == 0);
        EXPECT_LE(std::stoll(*before), std::stoll(engine) + kToleranceMs) << *before << " " << engine << " " << *after;
        EXPECT_LE(std::stoll(engine), std::stoll(*after) + kToleranceMs) << *before << " " << engine << " " << *after;
        std::printf("page %s, engine %s, page %s\n", before->c_str(), engine.c_str(), after->c_str());
    }

    test::SpawnedHost m_host;
    std::optional<wire::FrameReader> m_reader;
    channels::PublishedState m_state;
    std::string m_file = clip("video.mpg");
    uint32_t m_request = 0;
};

TEST_F(HostStateTest, ThePageAnswersAsTheEngineDoesThroughPlayback)
{
    ASSERT_EQ(ask("open " + m_file + " alias movie").first, 0u);
    expectSame();
    ASSERT_EQ(ask("set movie time format frames").first, 0u);
    expectSame();
    ASSERT_EQ(ask("set movie time format ms").first, 0u);
    const int64_t length = std::stoll(ask("status movie length").second);

    ASSERT_EQ(ask("play movie").first, 0u);
    expectPositionFollows();
    expectPositionFollows();
    ASSERT_EQ(ask("set movie time format frames").first, 0u);
    expectPositionFollows();
    ASSERT_EQ(ask("set movie time format ms").first, 0u);
    ASSERT_EQ(ask("pause movie").first, 0u);
    expectSame();

    // Slowed: the page carries the position on at the rate played.
    ASSERT_EQ(ask("set movie speed 500").first, 0u);
    ASSERT_EQ(ask("resume movie").first, 0u);
    expectPositionFollows();
    expectPositionFollows();
    ASSERT_EQ(ask("set movie speed 1000").first, 0u);

    ASSERT_EQ(ask("seek movie to 500").first, 0u);
    expectSame();

    // The end of a range, and of the media, as the host tells of them unasked.
    ASSERT_EQ(ask("play movie from 500 to 800").first, 0u);
    ASSERT_TRUE(awaitLocal("status movie mode", "stopped", true))
        << local("status movie mode").value_or("-") << " " << local("status movie position").value_or("-")
        << "; the engine: " << ask("status movie mode").second << " " << ask("status movie position").second;
    EXPECT_EQ(local("status movie position"), "800");
    expectSame();
    ASSERT_EQ(ask("play movie from " + std::to_string(length - 300)).first, 0u);
    ASSERT_TRUE(awaitLocal("status movie mode", "stopped", true));
    EXPECT_EQ(local("status movie position"), std::to_string(length));
    expectSame();

    ASSERT_EQ(ask("play movie from 0").first, 0u);
    ASSERT_TRUE(awaitLocal("status movie position"));
    ASSERT_EQ(ask("stop movie").first, 0u);
    expectSame();

    ASSERT_EQ(ask("close movie").first, 0u);
    EXPECT_EQ(local("status movie mode"), std::nullopt);
    EXPECT_EQ(ask("status movie mode").first, mci::code::kInvalidDeviceName);
}

// The commands the engine in the host answered: the lines of its trace.
size_t hostCommands(const std::string& trace)
{
    std::ifstream file(trace);
    size_t lines = 0;
    for (std::string line; std::getline(file, line);) {
        ++lines;
    }
    return lines;
}

// The window's own channel: once playback has settled, two seconds' worth of the timers'
// commands (three every 100 ms, three more every 500 ms) are all answered, and none of them
// reaches the engine. The end test sets frames before it reads the length, which a sound file
// refuses (293) without changing anything. Only the host is given the trace, so it lists what
// reached the engine.
TEST(HostChannelState, TheTimersQueriesDuringPlaybackDoNotReachTheHost)
{
    const std::string trace = testing::TempDir() + "zelko-host-state-trace.txt";
    std::filesystem::remove(trace);
    ::unsetenv("ZELKO_MCI_TRACE");
    test::HostCalls::application();
    channels::HostChannel channel(ZELKO_MCI_HOST);
    test::HostCalls calls(channel);
    ::setenv("ZELKO_MCI_TRACE", trace.c_str(), 1);
    std::string reply;
    const auto send = [&](const std::string& command) {
        const uint32_t code = calls.send(command);
        reply = calls.reply();
        return code;
    };
    // Once the page answers, a query is answered inside the call, as by an engine in the process.
    const auto answeredAtOnce = [&](const char* command) {
        std::optional<uint32_t> code;
        const auto request = channel.send(command, 256, [&](uint32_t answered, std::string_view text) {
            code = answered;
            reply = text;
        });
        EXPECT_EQ(request, 0u) << command;
        return code.value_or(UINT32_MAX);
    };
    ASSERT_EQ(send("open " + clip("tone.wav") + " alias movie"), 0u);
    ::unsetenv("ZELKO_MCI_TRACE");
    ASSERT_EQ(send("play movie"), 0u);
    const char* atEndFile[] = {"set movie time format frames", "status movie length", "status movie position"};
    const auto expected = [&](const char* command) { return command == atEndFile[0] ? 293u : 0u; };
    const char* misc[] = {"status movie time format", "status movie position", "status movie mode"};
    // Until the host has seen the output run, the position is its to tell: a round of the
    // queries reaches it then.
    const auto deadline = Clock::now() + platform::timeLimit(10s);
    size_t reached = hostCommands(trace);
    for (;;) {
        ASSERT_LT(Clock::now(), deadline) << "the page never answered for the playing clip";
        for (const char* command : atEndFile) {
            ASSERT_EQ(send(command), expected(command)) << command;
        }
        const size_t now = hostCommands(trace);
        if (now == reached) {
            break;
        }
        reached = now;
    }
    int64_t position = 0;
    for (int tick = 0; tick < 20; ++tick) {
        for (const char* command : atEndFile) {
            ASSERT_EQ(answeredAtOnce(command), expected(command)) << command;
            if (command == atEndFile[2]) {
                EXPECT_GE(std::stoll(reply), position);
                position = std::stoll(reply);
            }
        }
        for (const char* command : misc) {
            if (tick % 5 == 0) {
                ASSERT_EQ(answeredAtOnce(command), 0u) << command;
            }
        }
    }
    ASSERT_EQ(answeredAtOnce("status movie mode"), 0u);
    EXPECT_EQ(reply, "playing");
    EXPECT_EQ(hostCommands(trace), reached) << "the timers' queries reached the host";
    EXPECT_GT(position, 0);
    EXPECT_LT(position, 2000);
    std::filesystem::remove(trace);
}

}  // namespace
}  // namespace zelko
