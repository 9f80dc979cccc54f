// SPDX-License-Identifier: GPL-3.0-or-later
// Where the desktop is told playback stands, from what the window learned and the time since.
#include <gtest/gtest.h>

#include "player/position_clock.h"

namespace zelko::player {

namespace {

using namespace std::chrono_literals;
using Clock = PositionClock::Clock;

const Clock::time_point t0{};
constexpr double kFrames = 250;  // 10 s at 25 frames a second

}  // namespace

TEST(PositionClock, MovesOnOnlyWhilePlayingAtThePlayingSpeed)
{
    PositionClock clock;
    clock.Restart(25, t0);
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 1s), 0) << "a file that has not started stands at 0";
    clock.Run(true, t0 + 1s);
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 3s), 50);
    clock.SetRate(0.4, t0 + 3s);  // Slow Motion
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 5s), 70);
    clock.Run(false, t0 + 5s);  // paused
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 60s), 70);
    clock.SetRate(1, t0 + 60s);
    clock.Run(true, t0 + 60s);
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 61s), 95);
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 600s), 250) << "never past the length";
    clock.Restart(25, t0 + 601s);
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 602s), 0) << "a new file starts stopped, at normal speed";
}

TEST(PositionClock, ASeekOrTheMonitorPutsItWhereTheDeviceIs)
{
    PositionClock clock;
    clock.Restart(25, t0);
    clock.Run(true, t0);
    clock.Set(200, t0 + 1s);
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 2s), 225);
    // Within a percent (2.5 frames) of what the monitor read, the clock's finer reckoning stands.
    clock.Near(90, kFrames, t0 + 2s);
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 2s), 225);
    // Further off (the device stalled), the monitor's percent wins.
    clock.Near(80, kFrames, t0 + 2s);
    EXPECT_EQ(clock.FrameNow(kFrames, t0 + 2s), 200);
}

}  // namespace zelko::player
