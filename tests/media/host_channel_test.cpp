// SPDX-License-Identifier: GPL-3.0-or-later
// The product's channel on the real zelko-mci-host and real clips: commands and their errors
// cross the socket unchanged, and a host that hangs, dies or chokes on a hostile file costs the
// command that met it, its aliases, and nothing else.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "channels/host_channel.h"
#include "platform/mci_error_codes.h"
#include "platform/time_limit.h"
#include "tests/media/channel_log.h"
#include "tests/media/host_calls.h"

namespace zelko {

namespace fs = std::filesystem;
using zelko::channels::HostChannel;
using Clock = std::chrono::steady_clock;

using mci::code::kInvalidDeviceName;
using mci::code::kInvalidFile;
using mci::code::kParamOverflow;

class HostChannelTest : public testing::Test {
protected:
    uint32_t send(const std::string& command) { return m_calls.send(command); }
    std::string reply() const { return m_calls.reply(); }
    std::string description(uint32_t code) { return m_calls.description(code); }
    std::string clip(const char* name) const { return (fs::path(ZELKO_CLIPS_DIR) / name).string(); }
    // Opens the tone as `alias` and starts it.
    void play(const std::string& alias)
    {
        ASSERT_EQ(send("open " + clip("tone.wav") + " alias " + alias), 0u);
        ASSERT_EQ(send("play " + alias), 0u);
    }
    // The next command after the host was lost answers as an unplayable file does, and the host
    // that replaced it knows none of the old aliases; a file opens and plays on it at once.
    void expectReplaced(int lostPid, const std::string& command)
    {
        EXPECT_EQ(send(command), kInvalidFile);
        expectReplaced(lostPid);
    }
    void expectReplaced(int lostPid)
    {
        EXPECT_NE(description(kInvalidFile).find("The file cannot be played: the media engine"), std::string::npos);
        EXPECT_NE(m_channel.hostPid(), lostPid);
        EXPECT_EQ(send("status movie mode"), kInvalidDeviceName);
        play("next");
        EXPECT_EQ(send("status next mode"), 0u);
        EXPECT_EQ(reply(), "playing");
    }

    test::ChannelLog m_log;
    HostChannel m_channel{ZELKO_MCI_HOST};
    test::HostCalls m_calls{m_channel};
};

TEST_F(HostChannelTest, CommandsRepliesAndErrorsCrossUnchanged)
{
    play("movie");
    EXPECT_EQ(send("status movie length"), 0u);
    EXPECT_EQ(reply(), "2000");
    EXPECT_EQ(send("status movie mode"), 0u);
    EXPECT_EQ(reply(), "playing");
    // A reply longer than the buffer is the engine's 268, as in the window's own process.
    EXPECT_EQ(m_calls.send("status movie length", 3), kParamOverflow);
    EXPECT_EQ(send("status nothing mode"), kInvalidDeviceName);
    EXPECT_EQ(description(kInvalidDeviceName), "No device is open under that name, or the device type is not known.");
    EXPECT_EQ(send("open " + clip("truncated.mpg") + " alias bad"), kInvalidFile);
    EXPECT_NE(description(kInvalidFile).find("The file cannot be played"), std::string::npos);
    char text[256] = {};
    EXPECT_FALSE(m_channel.getErrorString(0, text, sizeof text));
    EXPECT_EQ(send("close all"), 0u);
}

TEST_F(HostChannelTest, TheHostRunsFencedIn)
{
    play("movie");
    std::ifstream status("/proc/" + std::to_string(m_channel.hostPid()) + "/status");
    const std::string text((std::istreambuf_iterator<char>(status)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("NoNewPrivs:\t1"), std::string::npos);
    EXPECT_NE(text.find("Seccomp:\t2"), std::string::npos);
}

TEST_F(HostChannelTest, AHungHostIsReplacedAtTheCommandsDeadline)
{
    play("movie");
    const int pid = m_channel.hostPid();
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    // A query the host's published state does not answer, so it reaches the stopped host.
    const std::string query = "status movie speed";
    const auto deadline = HostChannel::deadlineFor(query);
    const auto start = Clock::now();
    std::optional<uint32_t> code;
    const auto request = m_channel.send(query, 128, [&code](uint32_t answered, std::string_view) { code = answered; });
    // The caller does not wait for the host: send returns at once, and the answer comes later.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_NE(request, 0u);
    EXPECT_FALSE(code.has_value());
    test::HostCalls::runUntil([&code] { return code.has_value(); }, deadline * 3);
    EXPECT_EQ(code, kInvalidFile);
    // The query's deadline, not the open's or an endless wait: no sooner, and no more than a
    // fifth later (the kill and the next host's start). The deadline is the build's (a
    // sanitizer build stretches it), and so the fifth with it.
    const auto took = Clock::now() - start;
    EXPECT_GE(took, deadline);
    EXPECT_LE(took, deadline + deadline / 5);
    expectReplaced(pid);
    const std::string killed = "killed the engine host (pid " + std::to_string(pid) + "): it missed the " +
                               std::to_string(deadline.count()) + " ms deadline of \"" + query + "\"";
    EXPECT_NE(m_log.find(killed), "") << testing::PrintToString(m_log.lines());
    EXPECT_NE(m_log.find("in place of pid " + std::to_string(pid)), "") << testing::PrintToString(m_log.lines());
}

TEST_F(HostChannelTest, AHostKilledDuringPlaybackCostsOneCommand)
{
    play("movie");
    const int pid = m_channel.hostPid();
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    expectReplaced(pid, "status movie position");
    const std::string died = "the engine host (pid " + std::to_string(pid) + ") died of signal 9";
    EXPECT_NE(m_log.find(died), "") << testing::PrintToString(m_log.lines());
    EXPECT_NE(m_log.find("in place of pid " + std::to_string(pid)), "") << testing::PrintToString(m_log.lines());
}

TEST_F(HostChannelTest, AMidiFileThatHangsItsParserFailsByTheOpenDeadline)
{
    // A track whose length runs past the file: GStreamer's midiparse spins on it for good (or,
    // with the warm-up still loading plugins beside it, fails it at once or crashes the host).
    const fs::path midi = fs::temp_directory_path() / "zelko-hostile.mid";
    {
        std::ofstream file(midi, std::ios::binary);
        file.write("MThd\0\0\0\6\0\0\0\1\0\140MTrk\377\377\377\370\0\220\74\100\140\200\74\100\0\377\57\0", 34);
    }
    const auto start = Clock::now();
    EXPECT_EQ(send("open " + midi.string() + " alias hostile"), kInvalidFile);
    EXPECT_LT(Clock::now() - start, HostChannel::deadlineFor("open") + platform::timeLimit(std::chrono::seconds(5)));
    EXPECT_NE(description(kInvalidFile).find("The file cannot be played"), std::string::npos);
    // Its tags are not read again: the host that met it is gone, and no other asks.
    const int next = m_channel.hostPid();
    EXPECT_EQ(m_calls.tags(midi.string()).title, "");
    EXPECT_EQ(m_channel.hostPid(), next);
    play("next");
    EXPECT_EQ(send("status next mode"), 0u);
    EXPECT_EQ(reply(), "playing");
    fs::remove(midi);
}

}  // namespace zelko
