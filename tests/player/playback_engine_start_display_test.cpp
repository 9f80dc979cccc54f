// Playback start and the transport on the real engine with the test clips, in a real X window
// (Picture1's native window is the video's parent): the window grows to the video, audio leaves
// it alone, a failed open is shown, and the device really pauses, resumes, slows down and stops.
#include <QLabel>

#include "player/video_host.h"
#include "playback_fixture.h"

namespace {

using EngineStartTest = EngineFormTest;

QRect TwipsOf(const QWidget* w)
{
    return {Form1::LeftTwips(w), Form1::TopTwips(w), Form1::WidthTwips(w), Form1::HeightTwips(w)};
}

TEST_F(EngineStartTest, VideoGrowsTheWindowAroundIt)
{
    PlayClip("video.mpg");
    ASSERT_EQ(form->mResult, "Success");
    EXPECT_EQ(form->LbResult->text(), ResultCaption("Success"));
    EXPECT_EQ(form->Lbname->text(), QStringLiteral("video.mpg"));
    EXPECT_EQ(form->LbActualCx->text(), QStringLiteral("320"));
    EXPECT_EQ(form->LbActualCy->text(), QStringLiteral("240"));
    EXPECT_EQ(form->LbFramesPerSecond->text(), QStringLiteral("25"));
    EXPECT_EQ(form->LbTotalFrames->text(), QStringLiteral("50"));
    EXPECT_EQ(form->LbCurrentRate->text(), QStringLiteral("100 %"));
    EXPECT_NEAR(form->mTotalSeconds, 2.0, 0.1);
    EXPECT_EQ(form->mTotalMinutes, 0);
    EXPECT_EQ(form->mTotalSecondsText, form->mTotalSeconds < 2 ? QStringLiteral("01") : QStringLiteral("02"));
    EXPECT_EQ(form->HeightTwips(), 7485);
    EXPECT_EQ(form->height(), 499);
    EXPECT_EQ(TwipsOf(form->Picture1), QRect(1050, 3570, 4800, 3600));
    EXPECT_TRUE(form->TimerMisc->isActive());
    EXPECT_TRUE(form->Timerscroll->isActive());
    EXPECT_EQ(Mode(), "playing");
}

TEST_F(EngineStartTest, AudioKeepsTheNormalHeightAndShowsMinusOne)
{
    const QRect picture = form->Picture1->geometry();
    PlayClip("tone.wav");
    ASSERT_EQ(form->mResult, "Success");
    EXPECT_EQ(form->LbActualCx->text(), QStringLiteral("-1"));
    EXPECT_EQ(form->LbActualCy->text(), QStringLiteral("-1"));
    EXPECT_EQ(form->HeightTwips(), 3570);
    EXPECT_EQ(form->Picture1->geometry(), picture);
    EXPECT_EQ(form->mVideoCx, -1);
    EXPECT_EQ(Mode(), "playing");
}

TEST_F(EngineStartTest, NothingSelectedShowsTheFailedOpen)
{
    AddClip("video.mpg");
    form->PlaySelected();
    EXPECT_NE(form->mResult, "Success");
    EXPECT_FALSE(form->mResult.empty());
    EXPECT_EQ(form->LbResult->text(), ResultCaption(form->mResult));
    EXPECT_EQ(form->Lbname->text(), QString());
    EXPECT_EQ(form->LbTotalFrames->text(), QStringLiteral("-1"));
    EXPECT_TRUE(form->TimerAtEndFile->isActive());
    EXPECT_FALSE(form->TimerMisc->isActive());
    EXPECT_EQ(form->HeightTwips(), 3570);
}

TEST_F(EngineStartTest, SecondPlayClosesTheFirst)
{
    PlayClip("video.mpg");
    ASSERT_EQ(form->mResult, "Success");
    PlayClip("tone.mp3");
    // Had the first device stayed open, the alias would be taken and the open would fail.
    ASSERT_EQ(form->mResult, "Success");
    EXPECT_EQ(form->Lbname->text(), QStringLiteral("tone.mp3"));
    EXPECT_EQ(channel.Ask("where movie destination"), "");  // the audio file is the one open
    EXPECT_EQ(form->HeightTwips(), 3570);  // the window shrinks back for audio
    std::vector<std::string> closesAndOpens;
    for (const std::string& c : channel.log)
        if (c == "Close All" || c.rfind("open ", 0) == 0)
            closesAndOpens.push_back(c == "Close All" ? c : "open");
    EXPECT_EQ(closesAndOpens, (std::vector<std::string>{"Close All", "open", "Close All", "open"}));
}

TEST_F(EngineStartTest, TransportReallyDrivesTheDevice)
{
    PlayClip("video.mpg");
    ASSERT_EQ(Mode(), "playing");
    form->asxToolbar1_ButtonClick(2, QString());
    EXPECT_EQ(Mode(), "paused");
    EXPECT_FALSE(form->TimerMisc->isActive());
    form->asxToolbar1_ButtonClick(2, QString());
    EXPECT_EQ(Mode(), "playing");
    EXPECT_TRUE(form->TimerMisc->isActive());
    form->asxToolbar1_ButtonClick(4, QString());
    EXPECT_EQ(channel.Ask("status movie speed"), "400");
    EXPECT_EQ(Mode(), "playing");
    form->asxToolbar1_ButtonClick(4, QString());
    EXPECT_EQ(channel.Ask("status movie speed"), "1000");
    form->asxToolbar1_ButtonClick(3, QString());
    EXPECT_EQ(Mode(), "stopped");
    EXPECT_EQ(form->LbResult->text(), ResultCaption("Success"));
    EXPECT_FALSE(form->TimerMisc->isActive());
}

}  // namespace
