// The monitor's figures (slider, LED bar, time label) and the slider seek's frame targets.
#include <QLabel>
#include <QSignalSpy>

#include "meter/meter3.h"
#include "player/controls/cpv_slider.h"
#include "player/elapsed_time.h"
#include "playback_fixture.h"

namespace {

struct LengthCase {
    int32_t ms;
    double seconds;
    int32_t minutes;
    int32_t secondsPart;
    const char* text;
};

TEST(LengthBreakdown, MinutesFlooredSecondsTruncatedAndPadded)
{
    for (const LengthCase& c : {LengthCase{125600, 125.6, 2, 5, "05"}, LengthCase{59700, 59.7, 0, 59, "59"},
                                LengthCase{207000, 207, 3, 27, "27"}, LengthCase{60000, 60, 1, 0, "00"},
                                LengthCase{-1, -0.001, -1, 59, "59"}}) {
        const auto length = zelko::player::breakDownLength(c.ms);
        EXPECT_DOUBLE_EQ(length.totalSeconds, c.seconds) << c.ms;
        EXPECT_EQ(length.minutes, c.minutes) << c.ms;
        EXPECT_EQ(length.secondsPart, c.secondsPart) << c.ms;
        EXPECT_EQ(length.secondsText, QString::fromLatin1(c.text)) << c.ms;
    }
}

// A 100-frame video, so the frame position is the percentage; the length fields are then set
// to a 207-second file (3:27).
class MonitorTest : public FakeFormTest {
protected:
    void SetUp() override
    {
        FakeFormTest::SetUp();
        channel.addClip("/clips/long.mpg", {4000, 25, 320, 240});
        AddEntry("long.mpg", "/clips/long.mpg");
        PlayRow(3);
        form->mTotalSeconds = 207;
        form->mTotalMinutes = 3;
        form->mTotalSecondsText = QStringLiteral("27");
    }
    void TickAt(int32_t percent)
    {
        channel.setPositionFrames(percent);
        form->TimerMisc_Timer();
    }
};

struct TickCase {
    int32_t percent;
    double elapsed;
    int16_t meter;
    const char* caption;
};

TEST_F(MonitorTest, TickMovesSliderMeterAndCaption)
{
    for (const TickCase& c : {TickCase{50, 103.5, 25, "1:43 / 3:27"}, TickCase{25, 51.75, 12, "0:52 / 3:27"},
                              TickCase{28, 57.96, 14, "0:58 / 3:27"}, TickCase{29, 60.03, 14, "1:00 / 3:27"},
                              TickCase{2, 4.14, 1, "0:04 / 3:27"}, TickCase{100, 207, 50, "3:27 / 3:27"}}) {
        TickAt(c.percent);
        EXPECT_EQ(form->mPercentPlayed, c.percent);
        EXPECT_NEAR(form->mElapsedSeconds, c.elapsed, 1e-9) << c.percent;
        EXPECT_EQ(form->Meter31->Value(), c.meter) << c.percent;
        EXPECT_EQ(form->cpvSlider1->Value(), c.percent);
        EXPECT_EQ(form->lbcurrentime->text(), QString::fromLatin1(c.caption));
    }
}

TEST_F(MonitorTest, MeterHalvesTiesToEven)
{
    for (const auto& [percent, meter] : {std::pair{1, 0}, std::pair{3, 2}, std::pair{5, 2}, std::pair{7, 4}}) {
        TickAt(percent);
        EXPECT_EQ(form->Meter31->Value(), meter) << percent;
    }
}

TEST_F(MonitorTest, UnknownPositionShowsNoNegativeTime)
{
    TickAt(50);
    QSignalSpy thumbMoved(form->cpvSlider1, &CpvSlider::ThumbMoved);
    channel.device.reset();  // the device is gone: length and position queries fail
    channel.clearLog();
    form->TimerMisc_Timer();
    EXPECT_EQ(form->mPercentPlayed, -1);
    EXPECT_EQ(form->Meter31->Value(), 25);  // kept
    EXPECT_EQ(form->cpvSlider1->Value(), -1);
    EXPECT_EQ(form->lbcurrentime->text(), QStringLiteral("-:-- / 3:27"));
    EXPECT_EQ(thumbMoved.count(), 0);
    EXPECT_EQ(channel.count("seek"), 0);
    EXPECT_TRUE(form->TimerMisc->isActive());  // the tick never stops its own timer
}

struct SeekCase {
    const char* totalFrames;
    int slider;
    int32_t target;
};

TEST_F(MonitorTest, SeekTargetsRoundTiesToEvenAndKeepTheLastOnNonNumbers)
{
    // 7 is the previous target, kept when the frame count cannot be read.
    for (const SeekCase& c : {SeekCase{"5000", 37, 1850}, SeekCase{"333", 50, 166}, SeekCase{"335", 50, 168},
                              SeekCase{"5000", 0, 0}, SeekCase{"", 50, 7}, SeekCase{"frames", 50, 7}}) {
        form->mSeekFrame = 7;
        form->LbTotalFrames->setText(QString::fromLatin1(c.totalFrames));
        form->cpvSlider1->SetValue(c.slider);
        channel.clearLog();
        form->cpvSlider1_ThumbMoved(c.slider);
        EXPECT_EQ(form->mSeekFrame, c.target) << c.totalFrames << " at " << c.slider;
        ASSERT_EQ(channel.log.size(), 2u);
        EXPECT_EQ(channel.log[0], "seek movie to " + std::to_string(c.target));
        EXPECT_EQ(channel.log[1], "Play movie");
    }
}

TEST_F(MonitorTest, SeekPlaysOnFromTheFrameAndShowsNothing)
{
    form->LbResult->setText(QStringLiteral("before"));
    form->cpvSlider1->SetValue(40);
    form->cpvSlider1_ThumbMoved(40);  // LbTotalFrames holds 100
    EXPECT_EQ(form->mSeekFrame, 40);
    EXPECT_EQ(form->mResult, "Success");
    EXPECT_EQ(channel.device->mode, "playing");
    EXPECT_EQ(form->LbResult->text(), QStringLiteral("before"));
    form->TimerMisc_Timer();
    EXPECT_EQ(form->cpvSlider1->Value(), 40);
    EXPECT_EQ(form->lbcurrentime->text(), QStringLiteral("1:22 / 3:27"));
}

}  // namespace
