// SPDX-License-Identifier: GPL-3.0-or-later
// Play, pause, resume, stop, seek and speed on real playback.
#include "platform/mci/sinks.h"
#include "tests/mci/engine_fixture.h"

namespace zelko::mci::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST_F(EngineTest, PlayRangesAndSeeks)
{
    open("video.mpg");
    ASSERT_EQ(code("set m time format frames"), 0u);
    const int64_t length = number("status m length");
    ASSERT_EQ(code("play m from 10 to 20 wait"), 0u);
    EXPECT_EQ(reply("status m mode"), "stopped");
    EXPECT_EQ(number("status m position"), 20);
    // A range reached by play without wait ends the same way.
    ASSERT_EQ(code("play m from 25 to 30"), 0u);
    ASSERT_TRUE(waitStopped());
    EXPECT_EQ(number("status m position"), 30);
    // An empty range plays nothing; play with no range goes on from there to the end.
    ASSERT_EQ(code("play m from 35 to 35"), 0u);
    EXPECT_EQ(reply("status m mode"), "stopped");
    EXPECT_EQ(number("status m position"), 35);
    ASSERT_EQ(code("play m wait"), 0u);
    EXPECT_EQ(number("status m position"), length);
    // Seek while playing leaves the device stopped there; a seek out of range changes nothing.
    ASSERT_EQ(code("play m from 0"), 0u);
    ASSERT_EQ(code("seek m to 30"), 0u);
    EXPECT_EQ(reply("status m mode"), "stopped");
    EXPECT_EQ(number("status m position"), 30);
    EXPECT_EQ(code("seek m to " + std::to_string(length + 1)), 282u);
    EXPECT_EQ(number("status m position"), 30);
    ASSERT_EQ(code("seek m to end"), 0u);
    EXPECT_EQ(number("status m position"), length);
    ASSERT_EQ(code("seek m to start"), 0u);
    EXPECT_EQ(number("status m position"), 0);
}

TEST_F(EngineTest, PauseResumeAndStopKeepThePosition)
{
    open("tone.wav");
    // A second device plays on through the first one's commands.
    open("video.vob", "two");
    ASSERT_EQ(code("play two"), 0u);
    // Play returns while the medium plays on.
    ASSERT_EQ(code("play m from 200"), 0u);
    EXPECT_EQ(reply("status m mode"), "playing");
    ASSERT_TRUE(waitUntil([&] { return number("status m position") >= 500; }));
    ASSERT_EQ(code("pause m"), 0u);
    EXPECT_EQ(reply("status m mode"), "paused");
    const int64_t pausedAt = number("status m position");
    ASSERT_EQ(code("resume m"), 0u);
    EXPECT_EQ(reply("status m mode"), "playing");
    ASSERT_TRUE(waitUntil([&] { return number("status m position") > pausedAt + 300; }));
    // Stop halts without rewinding, and resume is refused while stopped.
    ASSERT_EQ(code("stop m"), 0u);
    EXPECT_EQ(reply("status m mode"), "stopped");
    EXPECT_EQ(reply("status two mode"), "playing");
    const int64_t stoppedAt = number("status m position");
    EXPECT_GT(stoppedAt, pausedAt + 300);
    EXPECT_LT(stoppedAt, 2000);
    EXPECT_EQ(code("resume m"), 302u);
    EXPECT_EQ(number("status m position"), stoppedAt);
    ASSERT_EQ(code("play m wait"), 0u);
    EXPECT_EQ(number("status m position"), 2000);
}

TEST_F(EngineTest, SpeedChangesPlaybackAndIsKept)
{
    open("tone.wav");
    EXPECT_TRUE(makeAudioFilter() != nullptr) << "no pitch-keeping tempo filter";
    ASSERT_EQ(code("set m speed 400"), 0u);
    EXPECT_EQ(number("status m speed"), 400);
    // 400 ms of media at 0.4 of normal speed takes a second, also after a seek.
    for (const char* play : {"play m from 0 to 400 wait", "play m to 1400 wait"}) {
        const auto start = Clock::now();
        ASSERT_EQ(code(play), 0u);
        EXPECT_GE(Clock::now() - start, 850ms) << play;
        ASSERT_EQ(code("seek m to 1000"), 0u);
    }
    EXPECT_EQ(code("set m speed 0"), 282u);
    EXPECT_EQ(number("status m speed"), 400);
    // Applied while playing, and it plays on to the end (how fast is bench/'s to measure).
    ASSERT_EQ(code("play m"), 0u);
    ASSERT_EQ(code("set m speed 2000"), 0u);
    EXPECT_EQ(number("status m speed"), 2000);
    ASSERT_TRUE(waitStopped());
    EXPECT_EQ(number("status m position"), 2000);
}

}  // namespace
}  // namespace zelko::mci::test
