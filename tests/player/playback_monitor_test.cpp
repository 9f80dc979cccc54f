// SPDX-License-Identifier: GPL-3.0-or-later
// The monitor's figures (slider, LED bar, time label) and the slider seek's frame targets.
#include "form_fixture.h"

namespace zelko {

// The 100-frame video, so the frame position is the percentage, taken for a 207-second file.
class MonitorTest : public FakeFormTest {
protected:
    void SetUp() override
    {
        FakeFormTest::SetUp();
        PlayRow(1);
        form->mTotalSeconds = 207;
        form->mTotalMinutes = 3;
        form->mTotalSecondsText = QStringLiteral("27");
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
            channel.setPositionFrames(percent);
        }
        form->TimerMisc_Timer();
        EXPECT_EQ(form->Meter31->Value(), meter);
        EXPECT_EQ(form->cpvSlider1->Value(), percent);
        EXPECT_EQ(form->lbcurrentime->text(), QLatin1String(caption));
    }
    EXPECT_TRUE(form->TimerMisc->isActive());  // the tick never stops its own timer
}

TEST_F(MonitorTest, SeekTargetsRoundTiesToEvenAndKeepTheLastOnNonNumbers)
{
    // LbTotalFrames, the slider, the target; 7 is the previous target, kept when the frame count
    // cannot be read.
    const std::tuple<const char*, int, int32_t> cases[] = {{"5000", 37, 1850}, {"333", 50, 166}, {"335", 50, 168},
                                                           {"5000", 0, 0},     {"", 50, 7},      {"frames", 50, 7}};
    for (const auto& [totalFrames, slider, target] : cases) {
        SCOPED_TRACE(std::string(totalFrames) + " at " + std::to_string(slider));
        form->mSeekFrame = 7;
        form->LbTotalFrames->setText(QLatin1String(totalFrames));
        form->cpvSlider1->SetValue(slider);
        channel.log.clear();
        form->cpvSlider1_ThumbMoved(slider);
        EXPECT_EQ(form->mSeekFrame, target);
        EXPECT_EQ(channel.log, (std::vector<std::string>{"seek movie to " + std::to_string(target), "Play movie"}));
        EXPECT_EQ(channel.device->mode, "playing");
    }
}

TEST_F(MonitorTest, ASeekFromPausedOrStoppedShowsWhatAResumeShows)
{
    // The seek plays the device on; the window asks it (playing, it asks nothing: see above) and
    // releases Pause and runs the monitor as a resume does.
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "paused");
        stop ? form->StopPlayback() : form->PausePlayback();
        ASSERT_FALSE(form->TimerMisc->isActive());
        form->cpvSlider1->SetValue(50);
        channel.log.clear();
        form->cpvSlider1_ThumbMoved(50);
        EXPECT_EQ(channel.log, (std::vector<std::string>{"seek movie to 50", "Play movie", "status movie mode"}));
        EXPECT_FALSE(form->asxToolbar1->ButtonPressed(2));
        EXPECT_TRUE(form->TimerMisc->isActive());
        EXPECT_EQ(form->CurrentView().status, Form1::PlaybackStatus::Playing);
    }
}

TEST_F(MonitorTest, ALengthThatCannotBeReadShowsNoNegativeMinutes)
{
    // While b.mpg plays, a missing entry is played: its length reads -1 ms, broken down as
    // -1 minutes and 59 seconds; the monitor still ticks (only a successful play restarts it).
    AddEntry("gone.mpg", "/clips/gone.mpg");
    PlayRow(3);
    ASSERT_NE(form->mResult, "Success");
    EXPECT_EQ(form->mTotalMinutes, -1);
    ASSERT_TRUE(form->TimerMisc->isActive());
    form->TimerMisc_Timer();
    EXPECT_EQ(form->lbcurrentime->text(), "-:-- / -:--");
}

}  // namespace zelko
