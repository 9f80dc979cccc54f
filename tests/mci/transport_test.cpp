// Play, pause, resume, stop, seek and speed on real playback.
#include "tests/mci/engine_fixture.h"

namespace zelko::mci::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST_F(EngineTest, PlayReturnsAtOnceAndPlaysInRealTime)
{
    open("tone.wav");
    const auto start = Clock::now();
    ASSERT_EQ(code("play m"), 0u);
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_EQ(send("status m mode").reply, "playing");
    ASSERT_TRUE(waitUntil([&] { return number("status m position") >= 500; }));
    EXPECT_GE(Clock::now() - start, 400ms);
    ASSERT_TRUE(waitUntil([&] { return send("status m mode").reply == "stopped"; }));
    EXPECT_EQ(number("status m position"), 2000);
}

TEST_F(EngineTest, PlayRangeEndsAtTo)
{
    open("video.mpg");
    ASSERT_EQ(code("set m time format frames"), 0u);
    ASSERT_EQ(code("play m from 10 to 20 wait"), 0u);
    EXPECT_EQ(send("status m mode").reply, "stopped");
    EXPECT_EQ(number("status m position"), 20);
    // A range reached by play without wait ends the same way.
    ASSERT_EQ(code("play m from 25 to 30"), 0u);
    ASSERT_TRUE(waitUntil([&] { return send("status m mode").reply == "stopped"; }));
    EXPECT_EQ(number("status m position"), 30);
    // Play with no range goes on from there to the end.
    ASSERT_EQ(code("play m wait"), 0u);
    EXPECT_EQ(number("status m position"), number("status m length"));
}

TEST_F(EngineTest, EmptyRangePlaysNothing)
{
    open("tone.wav");
    ASSERT_EQ(code("play m from 700 to 700"), 0u);
    EXPECT_EQ(send("status m mode").reply, "stopped");
    EXPECT_EQ(number("status m position"), 700);
}

TEST_F(EngineTest, StopHaltsWithoutRewinding)
{
    open("tone.wav");
    ASSERT_EQ(code("play m from 500"), 0u);
    ASSERT_TRUE(waitUntil([&] { return number("status m position") >= 800; }));
    ASSERT_EQ(code("stop m"), 0u);
    EXPECT_EQ(send("status m mode").reply, "stopped");
    const int64_t stoppedAt = number("status m position");
    EXPECT_GE(stoppedAt, 800);
    EXPECT_LT(stoppedAt, 2000);
    EXPECT_EQ(code("resume m"), 302u);
    EXPECT_EQ(number("status m position"), stoppedAt);
    // Play goes on from where it stopped.
    ASSERT_EQ(code("play m wait"), 0u);
    EXPECT_EQ(number("status m position"), 2000);
}

TEST_F(EngineTest, PauseAndResumeKeepThePosition)
{
    open("tone.wav");
    ASSERT_EQ(code("play m"), 0u);
    ASSERT_TRUE(waitUntil([&] { return number("status m position") >= 300; }));
    ASSERT_EQ(code("pause m"), 0u);
    EXPECT_EQ(send("status m mode").reply, "paused");
    const int64_t pausedAt = number("status m position");
    EXPECT_EQ(number("status m position"), pausedAt);
    ASSERT_EQ(code("resume m"), 0u);
    EXPECT_EQ(send("status m mode").reply, "playing");
    ASSERT_TRUE(waitUntil([&] { return number("status m position") > pausedAt + 100; }));
    // Pause from stopped leaves the device paused.
    ASSERT_EQ(code("stop m"), 0u);
    ASSERT_EQ(code("pause m"), 0u);
    EXPECT_EQ(send("status m mode").reply, "paused");
}

TEST_F(EngineTest, SeekLeavesTheDeviceStoppedThere)
{
    open("tone.wav");
    ASSERT_EQ(code("play m"), 0u);
    ASSERT_EQ(code("seek m to 1200"), 0u);
    EXPECT_EQ(send("status m mode").reply, "stopped");
    EXPECT_EQ(number("status m position"), 1200);
    EXPECT_EQ(code("seek m to 2500"), 282u);
    EXPECT_EQ(number("status m position"), 1200);
    ASSERT_EQ(code("seek m to end"), 0u);
    EXPECT_EQ(number("status m position"), 2000);
    ASSERT_EQ(code("seek m to start"), 0u);
    EXPECT_EQ(number("status m position"), 0);
    // After the end, a play from the start plays again.
    ASSERT_EQ(code("seek m to end"), 0u);
    ASSERT_EQ(code("play m from 1800 wait"), 0u);
    EXPECT_EQ(number("status m position"), 2000);
}

TEST_F(EngineTest, SpeedSlowsPlaybackAndIsKept)
{
    open("tone.wav");
    ASSERT_EQ(code("set m speed 400"), 0u);
    EXPECT_EQ(number("status m speed"), 400);
    // 400 ms of media at 0.4 of normal speed takes a second.
    auto start = Clock::now();
    ASSERT_EQ(code("play m from 0 to 400 wait"), 0u);
    EXPECT_GE(Clock::now() - start, 850ms);
    EXPECT_EQ(number("status m position"), 400);
    // Kept across a seek and the next play.
    ASSERT_EQ(code("seek m to 1000"), 0u);
    start = Clock::now();
    ASSERT_EQ(code("play m to 1400 wait"), 0u);
    EXPECT_GE(Clock::now() - start, 850ms);
    EXPECT_EQ(number("status m speed"), 400);
    // A bad speed keeps the old one.
    EXPECT_EQ(code("set m speed 0"), 282u);
    EXPECT_EQ(number("status m speed"), 400);
}

TEST_F(EngineTest, SpeedChangesWhilePlaying)
{
    open("tone.wav");
    ASSERT_EQ(code("play m"), 0u);
    ASSERT_TRUE(waitUntil([&] { return number("status m position") >= 200; }));
    ASSERT_EQ(code("set m speed 2000"), 0u);
    EXPECT_EQ(send("status m mode").reply, "playing");
    const auto start = Clock::now();
    ASSERT_TRUE(waitUntil([&] { return send("status m mode").reply == "stopped"; }));
    // At most 1.8 s of media left at double speed.
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_EQ(number("status m position"), 2000);
}

TEST_F(EngineTest, DevicesPlayIndependently)
{
    open("tone.wav", "one");
    open("video.vob", "two");
    ASSERT_EQ(code("play one"), 0u);
    ASSERT_EQ(code("play two from 1000"), 0u);
    ASSERT_EQ(code("stop one"), 0u);
    EXPECT_EQ(send("status two mode").reply, "playing");
    ASSERT_EQ(code("close one"), 0u);
    ASSERT_TRUE(waitUntil([&] { return send("status two mode").reply == "stopped"; }));
    EXPECT_EQ(number("status two position"), number("status two length"));
}

}  // namespace
}  // namespace zelko::mci::test
