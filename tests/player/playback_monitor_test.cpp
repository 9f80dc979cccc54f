// SPDX-License-Identifier: GPL-3.0-or-later
// The monitor's figures (slider, LED bar, time label) and the slider seek's frame targets.
#include "form_fixture.h"

namespace zelko {

// An audio file of 207 s, 3:27, whose positions are milliseconds, so each percentage is exact.
class MonitorTest : public FakeFormTest {
protected:
    void SetUp() override
    {
        FakeFormTest::SetUp();
        channel.clips["/clips/long.wav"] = {207000, 0};
        AddEntry("long.wav", "/clips/long.wav");
        PlayRow(3);
    }
    // The commands sent from the first `first` on, `count` of them.
    std::vector<std::string> SentFrom(const std::string& first, size_t count)
    {
        const auto at = std::find(channel.log.begin(), channel.log.end(), first);
        return {at, at + std::min<ptrdiff_t>(count, channel.log.end() - at)};
    }
};

TEST_F(MonitorTest, TickMovesSliderMeterAndCaption)
{
    // Percent (-1: the device is gone, its position unknown), the LED bar (the percentage
    // halved, ties to even; kept when the position is unknown), the time label.
    const std::tuple<int32_t, int, const char*> cases[] = {
        {50, 25, "1:43 / 3:27"}, {25, 12, "0:52 / 3:27"},  {28, 14, "0:58 / 3:27"},
        {29, 14, "1:00 / 3:27"}, {2, 1, "0:04 / 3:27"},    {1, 0, "0:02 / 3:27"},
        {3, 2, "0:06 / 3:27"},   {100, 50, "3:27 / 3:27"}, {-1, 50, "-:-- / 3:27"},
    };
    for (const auto& [percent, meter, caption] : cases) {
        SCOPED_TRACE(percent);
        if (percent < 0) {
            channel.device.reset();
        } else {
            channel.device->positionMs = percent * 2070;
        }
        Form1Probe::Tick(*form, Clock::Misc);
        EXPECT_EQ(Meter()->Value(), meter);
        EXPECT_EQ(Slider()->Value(), percent);
        EXPECT_EQ(TimeShown(), QLatin1String(caption));
    }
    EXPECT_TRUE(Form1Probe::Running(*form, Clock::Misc));  // the tick never stops its own timer
}

TEST_F(MonitorTest, SeekTargetsRoundTiesToEven)
{
    // The file's frames (25 a second, 40 ms each), the slider, the target.
    const std::tuple<int32_t, int, int32_t> cases[] = {{5000, 37, 1850}, {333, 50, 166}, {335, 50, 168}, {5000, 0, 0}};
    for (const auto& [frames, percent, target] : cases) {
        SCOPED_TRACE(std::to_string(frames) + " at " + std::to_string(percent));
        channel.clips["/clips/frames.mpg"] = {frames * 40, 25};
        AddEntry("frames.mpg", "/clips/frames.mpg");
        PlayRow(Playlist()->count() - 1);
        channel.log.clear();
        Seek(percent);
        const std::string seek = "seek movie to " + std::to_string(target);
        EXPECT_EQ(SentFrom(seek, 2), (std::vector<std::string>{seek, "Play movie"}));
        EXPECT_EQ(channel.device->mode, "playing");
    }
}

TEST_F(MonitorTest, BeforeAnyFileTheSeekGoesToFrameZero)
{
    // No frame count to read yet: the target stays where it starts.
    Start();
    channel.device.reset();
    channel.log.clear();
    Seek(50);
    EXPECT_EQ(channel.count("seek  to 0"), 1);
}

TEST_F(MonitorTest, ASeekFromPausedOrStoppedShowsWhatAResumeShows)
{
    // The seek plays the device on; the window asks it (playing, it asks nothing: see above) and
    // releases Pause and runs the monitor as a resume does.
    for (const char* button : {"Pause", "Stop"}) {
        SCOPED_TRACE(button);
        Button(button)->click();
        ASSERT_FALSE(Form1Probe::Running(*form, Clock::Misc));
        channel.log.clear();
        Seek(50);
        EXPECT_EQ(SentFrom("seek movie to 103500", 3),
                  (std::vector<std::string>{"seek movie to 103500", "Play movie", "status movie mode"}));
        EXPECT_FALSE(Latched("Pause"));
        EXPECT_TRUE(Form1Probe::Running(*form, Clock::Misc));
        EXPECT_EQ(player().Now().status, Player::Status::Playing);
    }
}

TEST_F(MonitorTest, ALengthThatCannotBeReadShowsNoNegativeMinutes)
{
    // While long.wav plays, a missing entry is played: its length reads -1 ms, broken down as
    // -1 minutes and 59 seconds; the monitor still ticks (only a successful play restarts it).
    AddEntry("gone.mpg", "/clips/gone.mpg");
    PlayRow(4);
    ASSERT_EQ(player().Now().status, Player::Status::Stopped);
    ASSERT_TRUE(Form1Probe::Running(*form, Clock::Misc));
    Form1Probe::Tick(*form, Clock::Misc);
    EXPECT_EQ(TimeShown(), "-:-- / -:--");
}

}  // namespace zelko
