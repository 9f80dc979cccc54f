// SPDX-License-Identifier: GPL-3.0-or-later
// A window and an engine host of different builds refuse each other at their hellos, each
// saying so plainly, and the window does not start host after host.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "channels/host_channel.h"
#include "platform/mci_error_codes.h"
#include "tests/media/channel_log.h"
#include "tests/media/host_calls.h"
#include "tests/media/spawned_host.h"
#include "platform/mci_host/messages.h"

namespace zelko {
namespace {

namespace wire = mci::wire;
using mci::code::kInvalidFile;

TEST(HostVersion, TheWindowRefusesAHostOfAnotherBuildAndStartsNoOther)
{
    test::ChannelLog log;
    test::HostCalls::application();
    channels::HostChannel channel(ZELKO_OTHER_BUILD_HOST);
    test::HostCalls calls(channel);
    EXPECT_EQ(calls.send("open /nowhere.mp3 alias m", 0), kInvalidFile);
    const std::string refusal = log.find("refused the engine host");
    EXPECT_NE(refusal.find("it speaks version " + std::to_string(wire::kVersion + 1) +
                           " of the engine's wire, this window version " + std::to_string(wire::kVersion)),
              std::string::npos)
        << refusal;
    std::printf("the window's refusal: %s\n", refusal.c_str());
    EXPECT_EQ(channel.hostPid(), 0);
    char text[256] = {};
    ASSERT_TRUE(channel.getErrorString(kInvalidFile, text, sizeof text));
    EXPECT_STREQ(text, "The file cannot be played: the media engine is of another build of the player.");
    // Later commands answer at once, inside the call, with no host started for them.
    std::optional<uint32_t> code;
    EXPECT_EQ(channel.send("status m mode", 128, [&code](uint32_t answered, std::string_view) { code = answered; }),
              0u);
    EXPECT_EQ(code, kInvalidFile);
    EXPECT_EQ(channel.hostPid(), 0);
    EXPECT_EQ(log.find("started the engine host"), "");
}

TEST(HostVersion, TheHostRefusesAWindowOfAnotherBuild)
{
    const test::SpawnedHost host = test::spawnHost();
    ASSERT_GT(host.pid, 0);
    wire::FrameReader reader(host.socket, false);
    wire::Frame frame;
    wire::Hello hello;
    ASSERT_EQ(reader.read(frame, wire::Clock::now() + std::chrono::seconds(30)), wire::ReadResult::Frame);
    ASSERT_TRUE(wire::unpack(frame, hello));
    EXPECT_EQ(hello.version, wire::kVersion);
    ASSERT_TRUE(wire::writeFrame(host.socket, wire::pack(0, wire::Hello{std::string(wire::kMagic), wire::kVersion + 1}),
                                 std::nullopt));
    std::string said;
    char chunk[256];
    pollfd entry{host.errors, POLLIN, 0};
    while (::poll(&entry, 1, 30000) > 0) {
        const ssize_t count = ::read(host.errors, chunk, sizeof chunk);
        if (count <= 0) {
            break;
        }
        said.append(chunk, static_cast<size_t>(count));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(host.pid, &status, 0), host.pid);
    ::close(host.socket);
    ::close(host.errors);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
    const std::string expected = "zelko-mci-host: refused a window of another build: it speaks version " +
                                 std::to_string(wire::kVersion + 1) + " of the engine's wire, this host version " +
                                 std::to_string(wire::kVersion) + "\n";
    EXPECT_NE(said.find(expected), std::string::npos) << said;
    std::printf("the host's refusal: %s", said.c_str());
}

}  // namespace
}  // namespace zelko
