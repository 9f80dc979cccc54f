// The monitor's figures (slider, LED bar, time label), the length breakdown made at the start
// and the slider seek's frame targets.
#include "form_fixture.h"
#include "player/elapsed_time.h"

namespace {

TEST(LengthBreakdown, MinutesFlooredSecondsTruncatedAndPadded)
{
    for (const auto& [ms, minutes, seconds] : {std::tuple{125600, 2, "05"}, std::tuple{59700, 0, "59"}}) {
        EXPECT_EQ(zelko::player::breakDownLength(ms).minutes, minutes) << ms;
        EXPECT_EQ(zelko::player::breakDownLength(ms).secondsText, QLatin1String(seconds)) << ms;
    }
}

// A 100-frame video, so the frame position is the percentage, of a 207-second file (3:27).
class MonitorTest : public FakeFormTest {
protected:
    void SetUp() override
    {
        FakeFormTest::SetUp();
        channel.clips["/clips/long.mpg"] = {4000, 25};
        AddEntry("long.mpg", "/clips/long.mpg");
        PlayRow(3);
        form->mTotalSeconds = 207;
        form->mTotalMinutes = 3;
        form->mTotalSecondsText = QStringLiteral("27");
    }
};

struct TickCase {
    int32_t percent;  // -1: the device is gone, so its position cannot be read
    double elapsed;
    int meter;        // the percentage halved, ties to even; kept when the position is unknown
    const char* caption;
};

TEST_F(MonitorTest, TickMovesSliderMeterAndCaption)
{
    const TickCase cases[] = {
        {50, 103.5, 25, "1:43 / 3:27"}, {25, 51.75, 12, "0:52 / 3:27"}, {28, 57.96, 14, "0:58 / 3:27"},
        {29, 60.03, 14, "1:00 / 3:27"}, {2, 4.14, 1, "0:04 / 3:27"},    {1, 2.07, 0, "0:02 / 3:27"},
        {3, 6.21, 2, "0:06 / 3:27"},    {5, 10.35, 2, "0:10 / 3:27"},   {7, 14.49, 4, "0:14 / 3:27"},
        {100, 207, 50, "3:27 / 3:27"},  {-1, -2.07, 50, "-:-- / 3:27"},
    };
    for (const TickCase& c : cases) {
        SCOPED_TRACE(c.percent);
        if (c.percent < 0)
            channel.device.reset();
        else
            channel.setPositionFrames(c.percent);
        form->TimerMisc_Timer();
        EXPECT_EQ(form->mPercentPlayed, c.percent);
        EXPECT_NEAR(form->mElapsedSeconds, c.elapsed, 1e-9);
        EXPECT_EQ(form->Meter31->Value(), c.meter);
        EXPECT_EQ(form->cpvSlider1->Value(), c.percent);
        EXPECT_EQ(form->lbcurrentime->text(), QLatin1String(c.caption));
    }
    EXPECT_TRUE(form->TimerMisc->isActive());  // the tick never stops its own timer
}

TEST_F(MonitorTest, SeekTargetsRoundTiesToEvenAndKeepTheLastOnNonNumbers)
{
    struct SeekCase {
        const char* totalFrames;
        int slider;
        int32_t target;  // 7 is the previous target, kept when the frame count cannot be read
    };
    form->LbResult->setText(QStringLiteral("before"));
    for (const SeekCase& c : {SeekCase{"5000", 37, 1850}, SeekCase{"333", 50, 166}, SeekCase{"335", 50, 168},
                              SeekCase{"5000", 0, 0}, SeekCase{"", 50, 7}, SeekCase{"frames", 50, 7}}) {
        SCOPED_TRACE(std::string(c.totalFrames) + " at " + std::to_string(c.slider));
        form->mSeekFrame = 7;
        form->LbTotalFrames->setText(QLatin1String(c.totalFrames));
        form->cpvSlider1->SetValue(c.slider);
        channel.log.clear();
        form->cpvSlider1_ThumbMoved(c.slider);
        EXPECT_EQ(form->mSeekFrame, c.target);
        EXPECT_EQ(channel.log, (std::vector<std::string>{"seek movie to " + std::to_string(c.target), "Play movie"}));
        EXPECT_EQ(channel.device->mode, "playing");
    }
    EXPECT_EQ(form->LbResult->text(), QStringLiteral("before")) << "a seek shows no result";
}

}  // namespace
