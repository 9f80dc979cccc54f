// PlaySelected and PlaySelectedFullscreen on the scripted device: the commands in their
// order, the hidden labels, the length breakdown, the timers and the window's growth.
#include <QLabel>
#include <QLineEdit>

#include "player/video_host.h"
#include "playback_fixture.h"

namespace {

using FakeStartTest = FakeFormTest;

TEST_F(FakeStartTest, ClosesOpensQueriesThenPlaysTheWholeFile)
{
    Select(0);
    form->PlaySelected();
    const std::string open = "open /clips/a.mpg type MPEGVideo Alias movie parent " +
                             std::to_string(form->Picture1->WindowHandle()) + " Style 1073741824";
    const std::vector<std::string> head = {"Close All", open, "Where movie destination", "Where movie destination",
                                           "Where movie destination", "Where movie destination"};
    ASSERT_GE(channel.log.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(channel.log.begin(), channel.log.begin() + 6), head);
    EXPECT_EQ(channel.count("play movie from 0 to 50"), 1);
    EXPECT_EQ(channel.device->parent, form->Picture1->WindowHandle());
    EXPECT_TRUE(channel.playingPath("/clips/a.mpg"));
    EXPECT_EQ(form->mAlias, "movie");
    EXPECT_EQ(form->mDeviceType, "MPEGVideo");
}

TEST_F(FakeStartTest, FillsTheHiddenLabelsAndStartsTheTimers)
{
    form->TimerAtEndFile->stop();
    Select(0);
    form->PlaySelected();
    EXPECT_EQ(form->LbResult->text(), ResultCaption("Success"));
    EXPECT_EQ(form->Lbname->text(), QStringLiteral("a.mpg"));
    EXPECT_EQ(form->LbActualCx->text(), QStringLiteral("320"));
    EXPECT_EQ(form->LbActualCy->text(), QStringLiteral("240"));
    EXPECT_EQ(form->LbFramesPerSecond->text(), QStringLiteral("25"));
    EXPECT_EQ(form->LbTotalFrames->text(), QStringLiteral("50"));
    EXPECT_EQ(form->LbCurrentRate->text(), QStringLiteral("100 %"));
    EXPECT_EQ(form->mVideoCx, 320);
    EXPECT_EQ(form->mVideoCy, 240);
    EXPECT_TRUE(form->TimerAtEndFile->isActive());
    EXPECT_TRUE(form->TimerMisc->isActive());
    EXPECT_TRUE(form->Timerscroll->isActive());
}

TEST_F(FakeStartTest, LengthBreakdownOfTheOpenFile)
{
    channel.addClip("/clips/long.mp3", {125600, 0, 0, 0});
    channel.addClip("/clips/short.mp3", {59700, 0, 0, 0});
    AddEntry("long.mp3", "/clips/long.mp3");
    AddEntry("short.mp3", "/clips/short.mp3");
    PlayRow(3);
    EXPECT_DOUBLE_EQ(form->mTotalSeconds, 125.6);
    EXPECT_EQ(form->mTotalMinutes, 2);
    EXPECT_EQ(form->mTotalSecondsPart, 5);
    EXPECT_EQ(form->mTotalSecondsText, QStringLiteral("05"));
    PlayRow(4);
    EXPECT_EQ(form->mTotalMinutes, 0);
    EXPECT_EQ(form->mTotalSecondsPart, 59);
    EXPECT_EQ(form->mTotalSecondsText, QStringLiteral("59"));
}

TEST_F(FakeStartTest, ElapsedTimeStartsAgainAtZero)
{
    form->mElapsedSeconds = 12.5;
    form->mElapsedMinutes = 1;
    form->mElapsedSecondsPart = 12;
    PlayRow(0);
    EXPECT_EQ(form->mElapsedSeconds, 0);
    EXPECT_EQ(form->mElapsedMinutes, 0);
    EXPECT_EQ(form->mElapsedSecondsPart, 0);
}

TEST_F(FakeStartTest, PauseIsReleasedButSlowMotionStaysPressed)
{
    PlayRow(0);
    form->PausePlayback();
    form->SlowMotion();
    ASSERT_TRUE(Pressed(2));
    ASSERT_TRUE(Pressed(4));
    PlayRow(1);
    EXPECT_FALSE(Pressed(2));
    EXPECT_TRUE(Pressed(4));
    EXPECT_EQ(channel.device->speed, 1000);  // the new file plays at its default speed
    EXPECT_EQ(channel.count("set movie speed"), 1);
}

TEST_F(FakeStartTest, FailedOpenShowsTheFailureAndStartsOnlyTheEndTimer)
{
    form->TimerAtEndFile->stop();
    form->List1->setCurrentRow(-1);
    form->List2->setCurrentRow(-1);
    const int heightBefore = form->HeightTwips();
    form->PlaySelected();
    EXPECT_EQ(form->Lbname->text(), QString());
    EXPECT_NE(form->mResult, "Success");
    EXPECT_EQ(form->LbResult->text(), ResultCaption(form->mResult));
    EXPECT_EQ(form->LbActualCx->text(), QStringLiteral("-1"));
    EXPECT_EQ(form->LbTotalFrames->text(), QStringLiteral("-1"));
    EXPECT_TRUE(form->TimerAtEndFile->isActive());
    EXPECT_FALSE(form->TimerMisc->isActive());
    EXPECT_FALSE(form->Timerscroll->isActive());
    EXPECT_EQ(form->HeightTwips(), heightBefore);
}

TEST_F(FakeStartTest, FullscreenVariantCoversTheScreenAndLeavesTheEndTimerAlone)
{
    form->TimerAtEndFile->stop();
    Select(0);
    form->PlaySelectedFullscreen();
    EXPECT_FALSE(form->TimerAtEndFile->isActive());
    EXPECT_TRUE(form->TimerMisc->isActive());
    EXPECT_TRUE(form->Timerscroll->isActive());
    EXPECT_TRUE(form->IsMaximized());
    const QSize screen = form->screen()->geometry().size();
    EXPECT_EQ(form->size(), screen);
    EXPECT_EQ(form->Picture1->geometry(), QRect(QPoint(0, 0), screen));
    EXPECT_EQ(channel.device->window,
              "0 0 " + std::to_string(screen.width()) + " " + std::to_string(screen.height()));
    EXPECT_EQ(form->focusWidget(), form->txtfull);
    EXPECT_FALSE(Pressed(2));
}

TEST_F(FakeStartTest, FullscreenVariantThatFailsKeepsTheNormalWindow)
{
    form->List1->setCurrentRow(-1);
    form->List2->setCurrentRow(-1);
    const QRect before = form->geometry();
    form->PlaySelectedFullscreen();
    EXPECT_FALSE(form->IsMaximized());
    EXPECT_EQ(form->geometry(), before);
    EXPECT_FALSE(form->TimerMisc->isActive());
}

}  // namespace
