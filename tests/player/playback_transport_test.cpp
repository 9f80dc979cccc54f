// The transport toolbar on the scripted device: dispatch and focus, the latched Pause and
// Slow Motion buttons, and the double-click on the playlist.
#include <QLabel>
#include <QLineEdit>

#include "playback_fixture.h"

namespace {

using TransportTest = FakeFormTest;

TEST_F(TransportTest, ButtonsOneToFourRunTheirCommandAndFocusThePlaylist)
{
    Select(0);
    const std::vector<std::pair<int, std::string>> cases = {
        {1, "play movie from 0 to 50"}, {2, "Pause movie"}, {3, "Stop movie"}, {4, "set movie speed 400"}};
    for (const auto& [index, command] : cases) {
        form->txtfull->setFocus();
        channel.clearLog();
        form->asxToolbar1_ButtonClick(index, QString());
        EXPECT_EQ(channel.count(command), 1) << index;
        EXPECT_EQ(form->focusWidget(), form->List1) << index;
    }
}

TEST_F(TransportTest, FullscreenButtonLeavesTheFocusOnTxtfull)
{
    PlayRow(0);
    form->asxToolbar1_ButtonClick(5, QStringLiteral("fullscreen"));
    EXPECT_TRUE(form->IsMaximized());
    EXPECT_EQ(form->focusWidget(), form->txtfull);
}

TEST_F(TransportTest, OtherIndexesDoNothingAndKeepTheFocus)
{
    PlayRow(0);
    for (int index : {0, 6, -1}) {
        form->txtfull->setFocus();
        channel.clearLog();
        const QString result = form->LbResult->text();
        form->asxToolbar1_ButtonClick(index, QString());
        EXPECT_TRUE(channel.log.empty()) << index;
        EXPECT_EQ(form->LbResult->text(), result);
        EXPECT_EQ(form->focusWidget(), form->txtfull) << index;
    }
}

TEST_F(TransportTest, PauseWithNothingOpenStillToggles)
{
    form->PausePlayback();
    EXPECT_EQ(channel.log.back(), "Pause");
    EXPECT_EQ(form->LbResult->text(), ResultCaption(FakeDevice::describe(263)));
    EXPECT_TRUE(Pressed(2));
    EXPECT_FALSE(form->TimerMisc->isActive());
    form->PausePlayback();
    EXPECT_EQ(channel.log.back(), "Resume");
    EXPECT_FALSE(Pressed(2));
    EXPECT_TRUE(form->TimerMisc->isActive());
}

TEST_F(TransportTest, PauseAndResumeDriveTheDeviceAndTheMonitor)
{
    PlayRow(0);
    form->PausePlayback();
    EXPECT_EQ(channel.device->mode, "paused");
    EXPECT_FALSE(form->TimerMisc->isActive());
    EXPECT_EQ(form->LbResult->text(), ResultCaption("Success"));
    form->PausePlayback();
    EXPECT_EQ(channel.device->mode, "playing");
    EXPECT_TRUE(form->TimerMisc->isActive());
    EXPECT_FALSE(Pressed(2));
}

TEST_F(TransportTest, StopWhilePausedReleasesPauseSoTheNextClickPauses)
{
    PlayRow(0);
    form->PausePlayback();
    form->StopPlayback();
    EXPECT_FALSE(Pressed(2));
    EXPECT_EQ(channel.device->mode, "stopped");
    EXPECT_FALSE(form->TimerMisc->isActive());
    EXPECT_TRUE(form->TimerAtEndFile->isActive());  // Stop leaves end-of-media polling running
    EXPECT_TRUE(form->Timerscroll->isActive());
    channel.clearLog();
    form->PausePlayback();
    EXPECT_EQ(channel.log, std::vector<std::string>{"Pause movie"});
}

TEST_F(TransportTest, SlowMotionTwiceGoesToFortyAndBack)
{
    PlayRow(0);
    form->SlowMotion();
    EXPECT_EQ(channel.device->speed, 400);
    EXPECT_TRUE(Pressed(4));
    form->SlowMotion();
    EXPECT_EQ(channel.device->speed, 1000);
    EXPECT_FALSE(Pressed(4));
    EXPECT_EQ(form->LbCurrentRate->text(), QStringLiteral("100 %"));  // read at the start only
}

TEST_F(TransportTest, SlowMotionAfterANewFileGoesBackToNormal)
{
    PlayRow(0);
    form->SlowMotion();
    PlayRow(1);
    channel.clearLog();
    form->SlowMotion();
    EXPECT_EQ(channel.log, std::vector<std::string>{"set movie speed 1000"});
    EXPECT_FALSE(Pressed(4));
}

TEST_F(TransportTest, DoubleClickPlaysTheSelectedEntry)
{
    Select(1);
    form->List1_DblClick();
    EXPECT_TRUE(channel.playingPath("/clips/b.mpg"));
    EXPECT_EQ(form->Lbname->text(), QStringLiteral("b.mpg"));
}

}  // namespace
