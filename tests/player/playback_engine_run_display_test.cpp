// Playback over time on the real engine in a real X window, with the window's own timers: a
// playlist plays through, Auto Replay plays again, the monitor advances, the slider seeks.
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "meter/meter3.h"
#include "player/controls/cpv_slider.h"
#include "player/video_host.h"
#include "playback_fixture.h"

namespace {

using EngineRunTest = EngineFormTest;

constexpr int kDeadlineMs = 15000;  // a 2 s clip, with room for a loaded machine

int32_t Position(RecordingEngine& channel) { return std::atoi(channel.Ask("status movie position").c_str()); }

TEST_F(EngineRunTest, PlaylistPlaysThroughInOrderAndStopsAfterTheLast)
{
    AddClip("tone.wav");
    AddClip("video.mpg");
    AddClip("tone.mp3");
    Select(0);
    form->PlaySelected();
    ASSERT_EQ(form->mResult, "Success");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->List1->currentRow() == 1; }, kDeadlineMs));
    EXPECT_EQ(form->Lbname->text(), QStringLiteral("video.mpg"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->List1->currentRow() == 2; }, kDeadlineMs));
    EXPECT_EQ(form->HeightTwips(), 3570);  // grew for the video, back for the audio
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->TimerMisc->isActive(); }, kDeadlineMs));
    EXPECT_FALSE(form->Timerscroll->isActive());
    // Three more end ticks change nothing: no wrap to the first entry.
    const auto positionQueries = [&] {
        return std::count(channel.log.begin(), channel.log.end(), std::string("status movie position"));
    };
    const auto before = positionQueries();
    ASSERT_TRUE(QTest::qWaitFor([&] { return positionQueries() >= before + 3; }, kDeadlineMs));
    EXPECT_EQ(form->List1->currentRow(), 2);
    EXPECT_EQ(channel.Opens(), (std::vector<std::string>{Clip("tone.wav").toStdString(),
                                                        Clip("video.mpg").toStdString(),
                                                        Clip("tone.mp3").toStdString()}));
}

TEST_F(EngineRunTest, AutoReplayPlaysTheClipAgain)
{
    form->Check->setCheckState(Qt::Checked);
    PlayClip("tone.wav");
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.Opens().size() == 2; }, kDeadlineMs));
    EXPECT_EQ(Mode(), "playing");
    form->Check->setCheckState(Qt::Unchecked);
}

TEST_F(EngineRunTest, MonitorAdvancesSliderMeterAndLabel)
{
    PlayClip("video.avi");
    ASSERT_EQ(form->mResult, "Success");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->cpvSlider1->Value() >= 20; }, kDeadlineMs));
    const int first = form->cpvSlider1->Value();
    EXPECT_GE(form->Meter31->Value(), 10);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^0:0[0-2] / 0:0[12]$")).match(form->lbcurrentime->text()).hasMatch())
        << form->lbcurrentime->text().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->cpvSlider1->Value() > first; }, kDeadlineMs));
    EXPECT_EQ(form->mPercentPlayed, form->cpvSlider1->Value());
}

TEST_F(EngineRunTest, SliderSeeksAndPlaybackGoesOnFromThere)
{
    PlayClip("video.avi");
    ASSERT_EQ(form->mResult, "Success");
    const int32_t total = form->LbTotalFrames->text().toInt();
    ASSERT_GT(total, 40);
    form->PausePlayback();
    ASSERT_EQ(Mode(), "paused");
    form->cpvSlider1->SetValue(80);
    emit form->cpvSlider1->ThumbMoved(80);
    EXPECT_EQ(form->mSeekFrame, static_cast<int32_t>(std::nearbyint(total * 0.8)));
    EXPECT_EQ(form->mResult, "Success");
    EXPECT_GE(Position(channel), form->mSeekFrame);
    EXPECT_EQ(Mode(), "playing");  // the seek plays on, though Pause still shows pressed
    // It plays on to the end, where the device stops.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Position(channel) == total && Mode() == "stopped"; }, kDeadlineMs));
}

TEST_F(EngineRunTest, MouseClickOnTheRailSeeks)
{
    PlayClip("video.avi");
    ASSERT_EQ(form->mResult, "Success");
    form->PausePlayback();
    CpvSlider* slider = form->cpvSlider1;
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
    const int value = slider->Value();
    ASSERT_GT(value, 40);
    const int32_t total = form->LbTotalFrames->text().toInt();
    EXPECT_EQ(form->mSeekFrame, static_cast<int32_t>(std::nearbyint(total * value / 100.0)));
    EXPECT_GE(Position(channel), form->mSeekFrame);
    EXPECT_EQ(Mode(), "playing");
}

}  // namespace
