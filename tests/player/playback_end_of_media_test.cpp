// End of media on the scripted device, driven tick by tick: advance, Auto Replay, the last
// entry, fullscreen, and a playlist that changes under a playing file.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "playback_fixture.h"

namespace {

class EndOfMediaTest : public FakeFormTest {
protected:
    // The open file reaches its end and the timer ticks once.
    void EndAndTick()
    {
        channel.runToEnd();
        channel.clearLog();
        form->TimerAtEndFile_Timer();
    }
    int Opens() const { return channel.count("open "); }
};

TEST_F(EndOfMediaTest, NothingHappensBeforeTheEnd)
{
    PlayRow(0);
    channel.setPositionFrames(49);
    channel.clearLog();
    form->TimerAtEndFile_Timer();
    EXPECT_TRUE(form->TimerMisc->isActive());
    EXPECT_EQ(Opens(), 0);
    // A fresh length query every tick.
    EXPECT_EQ(channel.count("status movie length"), 1);
}

TEST_F(EndOfMediaTest, LastEntryEndsAndPlaybackStops)
{
    PlayRow(2);
    form->mElapsedSeconds = 1.5;
    EndAndTick();
    EXPECT_FALSE(form->TimerMisc->isActive());
    EXPECT_FALSE(form->Timerscroll->isActive());
    EXPECT_EQ(form->mElapsedSeconds, 0);
    EXPECT_EQ(form->List1->currentRow(), 2);
    EXPECT_EQ(Opens(), 0);
    EXPECT_TRUE(form->TimerAtEndFile->isActive());
    EndAndTick();  // every later tick finds the end again, with no other effect
    EXPECT_EQ(Opens(), 0);
}

TEST_F(EndOfMediaTest, AutoReplayPlaysTheLastEntryAgain)
{
    form->Check->setCheckState(Qt::Checked);
    PlayRow(2);
    EndAndTick();
    EXPECT_EQ(Opens(), 1);
    EXPECT_TRUE(channel.playingPath("/clips/c.wav"));
    EXPECT_TRUE(form->TimerMisc->isActive());
}

TEST_F(EndOfMediaTest, GrayedCheckBoxIsNotAutoReplay)
{
    form->Check->setTristate(true);
    form->Check->setCheckState(Qt::PartiallyChecked);
    PlayRow(2);
    EndAndTick();
    EXPECT_EQ(Opens(), 0);
}

TEST_F(EndOfMediaTest, MiddleEntryMovesOnInBothLists)
{
    PlayRow(0);
    EndAndTick();
    EXPECT_EQ(form->List1->currentRow(), 1);
    EXPECT_EQ(form->List2->currentRow(), 1);
    EXPECT_TRUE(channel.playingPath("/clips/b.mpg"));
    EXPECT_EQ(form->Lbname->text(), QStringLiteral("b.mpg"));
    EndAndTick();
    EXPECT_TRUE(channel.playingPath("/clips/c.wav"));
    EndAndTick();
    EXPECT_EQ(Opens(), 0);
    EXPECT_EQ(form->List1->currentRow(), 2);
}

TEST_F(EndOfMediaTest, NothingSelectedStartsFromTheFirstEntry)
{
    PlayRow(1);
    form->List1->setCurrentRow(-1);
    EndAndTick();
    EXPECT_EQ(form->List1->currentRow(), 0);
    EXPECT_TRUE(channel.playingPath("/clips/a.mpg"));
}

TEST_F(EndOfMediaTest, AutoReplayPlaysTheNewlySelectedEntry)
{
    form->Check->setCheckState(Qt::Checked);
    PlayRow(0);
    Select(2);
    EndAndTick();
    EXPECT_TRUE(channel.playingPath("/clips/c.wav"));
}

TEST_F(EndOfMediaTest, FullscreenPlaybackStaysFullscreen)
{
    PlayRow(0);
    form->GoFullscreen();
    EndAndTick();
    EXPECT_TRUE(channel.playingPath("/clips/b.mpg"));
    EXPECT_TRUE(form->IsMaximized());
    EXPECT_EQ(form->Picture1->geometry(), QRect(QPoint(0, 0), form->size()));
    EXPECT_EQ(form->focusWidget(), form->txtfull);
}

TEST_F(EndOfMediaTest, EmptiedPlaylistPlaysNothing)
{
    PlayRow(1);
    form->List1->clear();
    form->List2->clear();
    EndAndTick();
    EXPECT_EQ(Opens(), 0);
    EXPECT_FALSE(form->TimerMisc->isActive());
}

TEST_F(EndOfMediaTest, TickingAutoReplayAfterTheEndReplays)
{
    PlayRow(2);
    EndAndTick();
    ASSERT_EQ(Opens(), 0);
    form->Check->setCheckState(Qt::Checked);
    EndAndTick();
    EXPECT_EQ(Opens(), 1);
    EXPECT_TRUE(channel.playingPath("/clips/c.wav"));
}

TEST_F(EndOfMediaTest, AppendingAfterTheEndPlaysTheNewEntry)
{
    PlayRow(2);
    EndAndTick();
    ASSERT_EQ(Opens(), 0);
    channel.addClip("/clips/d.mpg", {2000, 25, 320, 240});
    AddEntry("d.mpg", "/clips/d.mpg");
    EndAndTick();
    EXPECT_EQ(form->List1->currentRow(), 3);
    EXPECT_TRUE(channel.playingPath("/clips/d.mpg"));
}

TEST_F(EndOfMediaTest, FailedEntryStopsTheAdvance)
{
    form->List1->insertItem(1, QStringLiteral("gone.mpg"));
    form->List2->insertItem(1, QStringLiteral("/clips/gone.mpg"));
    PlayRow(0);
    EndAndTick();
    EXPECT_EQ(form->List1->currentRow(), 1);
    EXPECT_NE(form->mResult, "Success");
    EXPECT_EQ(form->LbResult->text(), ResultCaption(form->mResult));
    for (int tick = 0; tick < 3; ++tick) {
        channel.clearLog();
        form->TimerAtEndFile_Timer();
        EXPECT_EQ(Opens(), 0);
    }
    EXPECT_EQ(form->List1->currentRow(), 1);
}

}  // namespace
