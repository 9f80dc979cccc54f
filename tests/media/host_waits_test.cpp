// SPDX-License-Identifier: GPL-3.0-or-later
// The host channel never makes its caller wait, on the real zelko-mci-host: a command the window
// gives up costs the busy host and not the next command's time; one the host finishes while
// nothing else needs it costs nothing; commands wait for a starting host no longer than their
// own deadline; a host that cannot start is told once and tried again later and later; a short
// path is looked up off the caller's thread, and a code's description is the window's own.
#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

#include "channels/host_channel.h"
#include "platform/mci_error_codes.h"
#include "platform/short_path.h"
#include "platform/time_limit.h"
#include "tests/media/channel_log.h"
#include "tests/media/host_calls.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;
using channels::HostChannel;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using mci::code::kInvalidDeviceName;
using mci::code::kInvalidFile;

std::string clip(const char* name)
{
    return (fs::path(ZELKO_CLIPS_DIR) / name).string();
}

// A command sent without waiting for it: whether it was answered, and how.
struct Sent {
    std::optional<uint32_t> code;
    HostChannel::RequestId id = 0;

    void send(HostChannel& channel, const std::string& command)
    {
        id = channel.send(command, 128, [this](uint32_t answered, std::string_view) { code = answered; });
    }
};

// A host program of the test's own: a shell script, removed with the object.
class Script {
public:
    explicit Script(const std::string& body)
        : m_path(fs::temp_directory_path() / ("zelko-host-" + std::to_string(::getpid()) + ".sh"))
    {
        std::ofstream(m_path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(m_path, fs::perms::owner_all);
    }
    ~Script() { fs::remove(m_path); }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    std::string path() const { return m_path.string(); }

private:
    fs::path m_path;
};

class HostWaitsTest : public testing::Test {
protected:
    HostWaitsTest() { test::HostCalls::application(); }

    test::ChannelLog m_log;
};

TEST_F(HostWaitsTest, ACommandGivenUpCostsTheBusyHostAndNotTheNextCommandsTime)
{
    HostChannel channel(ZELKO_MCI_HOST);
    test::HostCalls calls(channel);
    ASSERT_EQ(calls.send("open " + clip("tone.wav") + " alias movie", 0), 0u);
    ASSERT_EQ(calls.send("play movie", 0), 0u);
    const int pid = channel.hostPid();
    // The host hangs in an open, as on a file that hangs its decoder; the window gives it up.
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    Sent open;
    open.send(channel, "open " + clip("video.mpg") + " alias other");
    ASSERT_NE(open.id, 0u);
    EXPECT_FALSE(test::HostCalls::runUntil([&open] { return open.code.has_value(); }, 300ms));
    channel.abandon(open.id);
    // An idle host may finish what it has in hand: nothing is killed until another command comes.
    EXPECT_EQ(channel.hostPid(), pid);
    const auto start = Clock::now();
    EXPECT_EQ(calls.send("open " + clip("tone.wav") + " alias next", 0), 0u);
    EXPECT_LT(Clock::now() - start, HostChannel::deadlineFor("open") / 2);
    EXPECT_NE(channel.hostPid(), pid);
    EXPECT_EQ(calls.send("status movie mode"), kInvalidDeviceName);  // it went with the old host
    EXPECT_EQ(calls.send("play next", 0), 0u);
    EXPECT_FALSE(open.code.has_value());
    const std::string given = "killed the engine host (pid " + std::to_string(pid) +
                              "): it was still busy with \"open " + clip("video.mpg") +
                              " alias other\", which the window gave up";
    EXPECT_NE(m_log.find(given), "") << testing::PrintToString(m_log.lines());
}

TEST_F(HostWaitsTest, ACommandGivenUpThatTheHostFinishesCostsNothing)
{
    HostChannel channel(ZELKO_MCI_HOST);
    test::HostCalls calls(channel);
    ASSERT_EQ(calls.send("open " + clip("tone.wav") + " alias movie", 0), 0u);
    const int pid = channel.hostPid();
    Sent query;
    query.send(channel, "status movie speed");  // not one the host's published state answers
    channel.abandon(query.id);
    // Nothing else needs the host meanwhile: it answers, to nobody, and goes on.
    test::HostCalls::runUntil([] { return false; }, 300ms);
    EXPECT_EQ(calls.send("status movie mode"), 0u);
    EXPECT_EQ(calls.reply(), "stopped");
    EXPECT_EQ(channel.hostPid(), pid);
    EXPECT_FALSE(query.code.has_value());
    EXPECT_EQ(m_log.find("killed"), "") << testing::PrintToString(m_log.lines());
}

TEST_F(HostWaitsTest, CommandsWaitForAStartingHostNoLongerThanTheirOwnDeadline)
{
    const Script silent("exec sleep 60");  // never says hello
    HostChannel channel(silent.path());
    test::HostCalls calls(channel);
    const std::string query = "status movie mode";
    const auto deadline = HostChannel::deadlineFor(query);
    const auto start = Clock::now();
    EXPECT_EQ(calls.send(query), kInvalidFile);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, deadline);
    EXPECT_LE(took, deadline + deadline / 5);
    EXPECT_EQ(calls.description(kInvalidFile), "The file cannot be played: the media engine did not start in time.");
    // The host is not to blame yet: it has the start's own allowance.
    EXPECT_NE(channel.hostPid(), 0);
    EXPECT_EQ(m_log.find("could not start"), "") << testing::PrintToString(m_log.lines());
}

TEST_F(HostWaitsTest, AHostThatCannotStartIsToldOnceAndTriedAgainLaterAndLater)
{
    QLoggingCategory::setFilterRules("zelko.channels.debug=true");
    const Script failing("exit 1");
    HostChannel channel(failing.path());
    test::HostCalls calls(channel);
    EXPECT_EQ(calls.send("open " + clip("tone.wav") + " alias movie", 0), kInvalidFile);
    EXPECT_EQ(calls.description(kInvalidFile), "The file cannot be played: the media engine could not start.");
    // For the next two seconds every command is answered inside the call, without a host.
    const auto end = Clock::now() + 2s;
    int commands = 0;
    while (Clock::now() < end) {
        Sent query;
        query.send(channel, "status movie mode");
        EXPECT_EQ(query.id, 0u);
        EXPECT_EQ(query.code, kInvalidFile);
        ++commands;
        test::HostCalls::runUntil([] { return false; }, 50ms);
    }
    QLoggingCategory::setFilterRules("");
    EXPECT_GT(commands, 10);
    int told = 0;
    int starts = 0;
    for (const std::string& line : m_log.lines()) {
        told += line.find("the media engine could not start: ") == 0 ? 1 : 0;
        starts += line.find("started the engine host") == 0 ? 1 : 0;
    }
    EXPECT_EQ(told, 1) << testing::PrintToString(m_log.lines());
    EXPECT_NE(m_log.find("exited with status 1"), "") << testing::PrintToString(m_log.lines());
    // The first start, and the tries after half a second and after a second more: not one per
    // command.
    EXPECT_GE(starts, 2) << testing::PrintToString(m_log.lines());
    EXPECT_LE(starts, 3) << testing::PrintToString(m_log.lines());
}

TEST_F(HostWaitsTest, TheDescriptionOfACodeNeedsNoHost)
{
    HostChannel channel(ZELKO_MCI_HOST);
    test::HostCalls calls(channel);
    EXPECT_EQ(calls.description(mci::code::kUnrecognizedCommand),
              "The command's first word is not a command the media engine knows.");
    EXPECT_EQ(calls.description(0), "");
    EXPECT_EQ(channel.hostPid(), 0);
}

TEST_F(HostWaitsTest, AShortPathIsLookedUpOffTheCallersThread)
{
    HostChannel channel(ZELKO_MCI_HOST);
    const std::string path = clip("tone.wav");
    const fs::path spaced = fs::temp_directory_path() / ("zelko waits " + std::to_string(::getpid()) + ".wav");
    fs::copy_file(path, spaced, fs::copy_options::overwrite_existing);
    for (const std::string& file : {path, spaced.string(), std::string("/no/such/file.wav")}) {
        Sent lookup;
        lookup.id = channel.findShortPath(file, 255, [&lookup](uint32_t length, std::string_view form) {
            lookup.code = length;
            EXPECT_EQ(form.size(), length);
        });
        EXPECT_FALSE(lookup.code.has_value()) << file;
        EXPECT_TRUE(test::HostCalls::runUntil([&lookup] { return lookup.code.has_value(); }, 10s)) << file;
        char buffer[255] = {};
        EXPECT_EQ(lookup.code, platform::getShortPathName(file, buffer, sizeof buffer)) << file;
    }
    fs::remove(spaced);
}

}  // namespace
}  // namespace zelko
