// SPDX-License-Identifier: GPL-3.0-or-later
// Input while a command waits on the device, on the scripted device answering from the event
// loop as the engine host does: a new play request abandons a waiting open and plays at once;
// the clocks' ticks are dropped; other transport input waits its turn, the newest seek replacing
// one that waits; Close closes at once; the desktop's position never asks the device.
#include "form_fixture.h"

namespace zelko {

class PendingTest : public FakeFormTest {
protected:
    void SetUp() override
    {
        FakeFormTest::SetUp();
        channel.answerLater = true;
        Form1Probe::HoldClocks(*form);
    }
    // Every procedure has ended and every command but the held ones has been answered.
    bool Idle()
    {
        return QTest::qWaitFor(
            [&] { return !Form1Probe::Busy(*form) && channel.inFlight == static_cast<int>(channel.held()); }, 5000);
    }
    // Commands that start with `prefix` wait until released; true once one waits.
    bool Holding(const std::string& prefix, const std::function<void()>& action)
    {
        channel.holdCommandsStartingWith = prefix;
        action();
        const bool waits = QTest::qWaitFor([&] { return channel.held() == 1; }, 5000);
        channel.holdCommandsStartingWith.clear();
        return waits;
    }
    void DoubleClick(int row)
    {
        QListWidget* list = Playlist();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    std::vector<std::string> SentSince(size_t from) { return {channel.log.begin() + from, channel.log.end()}; }
};

TEST_F(PendingTest, ADoubleClickDuringAWaitingOpenAbandonsItAndPlaysItsEntryAtOnce)
{
    ASSERT_TRUE(Holding("open /clips/a.mpg", [&] { PlayRow(0); }));
    ASSERT_TRUE(Form1Probe::Busy(*form));
    DoubleClick(1);
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(channel.playing("/clips/b.mpg"));
    EXPECT_EQ(player().Now().title, "b.mpg");
    EXPECT_EQ(player().Now().status, Player::Status::Playing);

    // The abandoned open is answered at last: nothing goes on from it.
    const size_t before = channel.log.size();
    channel.releaseHeld();
    ASSERT_TRUE(Idle());
    ASSERT_EQ(SentSince(before).size(), 1u);
    EXPECT_TRUE(SentSince(before)[0].starts_with("open /clips/a.mpg"));
    EXPECT_TRUE(channel.playing("/clips/b.mpg"));
    EXPECT_EQ(player().Now().title, "b.mpg");
}

TEST_F(PendingTest, TheClocksTicksAreDroppedWhileACommandWaits)
{
    PlayRow(0);
    ASSERT_TRUE(Idle());
    const size_t before = channel.log.size();
    ASSERT_TRUE(Holding("Pause", [&] { Button("Pause")->click(); }));
    for (int i = 0; i < 3; ++i) {
        Form1Probe::Tick(*form, Clock::AtEndFile);
        Form1Probe::Tick(*form, Clock::Misc);
    }
    channel.releaseHeld();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(SentSince(before), std::vector<std::string>{"Pause movie"});
    EXPECT_TRUE(Latched("Pause"));
}

TEST_F(PendingTest, TransportInputWaitsItsTurnAndTheNewestSeekReplacesAWaitingOne)
{
    PlayRow(0);  // 50 frames
    ASSERT_TRUE(Idle());
    const size_t before = channel.log.size();
    ASSERT_TRUE(Holding("Pause", [&] { Button("Pause")->click(); }));
    Button("Stop")->click();
    Seek(10);
    Seek(50);
    Button("Slow Motion")->click();
    EXPECT_EQ(SentSince(before), std::vector<std::string>{}) << "nothing runs before the pause is answered";
    channel.releaseHeld();
    ASSERT_TRUE(Idle());
    const std::vector<std::string> inOrder = {"Pause movie", "Stop movie",        "seek movie to 25",
                                              "Play movie",  "status movie mode", "set movie speed 400"};
    EXPECT_EQ(SentSince(before), inOrder);
    EXPECT_EQ(player().Now().status, Player::Status::Playing);  // the seek plays on
    EXPECT_TRUE(Latched("Slow Motion"));
}

TEST_F(PendingTest, APlayRequestThatWaitsItsTurnIsReplacedByANewerOne)
{
    PlayRow(2);
    ASSERT_TRUE(Idle());
    const size_t before = channel.log.size();
    ASSERT_TRUE(Holding("Pause", [&] { Button("Pause")->click(); }));
    PlayRow(0);
    PlayRow(1);
    channel.releaseHeld();
    ASSERT_TRUE(Idle());
    const std::vector<std::string> sent = SentSince(before);
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], "Pause movie");
    EXPECT_EQ(sent[1], "Close All");
    EXPECT_TRUE(sent[2].starts_with("open /clips/b.mpg"));
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](const std::string& c) { return c.starts_with("open "); }), 1);
    EXPECT_TRUE(channel.playing("/clips/b.mpg"));
}

TEST_F(PendingTest, CloseDuringAWaitingOpenClosesAtOnceAndKeepsThePlaylist)
{
    ASSERT_TRUE(Holding("open /clips/a.mpg", [&] { PlayRow(0); }));
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ReadBytes(cwd.filePath("pl2.txt")), "/clips/a.mpg\r\n/clips/b.mpg\r\n/clips/c.wav\r\n");
    EXPECT_EQ(player().Now().status, Player::Status::Stopped);
    const size_t before = channel.log.size();
    channel.releaseHeld();  // the open's late answer, and the close's own, reach nobody
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.inFlight == 0; }, 5000));
    ASSERT_EQ(SentSince(before).size(), 2u);
    EXPECT_EQ(SentSince(before)[0], "Close All");  // the host carries out what it was sent
    EXPECT_TRUE(SentSince(before)[1].starts_with("open /clips/a.mpg"));
    EXPECT_FALSE(Form1Probe::Busy(*form));
}

TEST_F(PendingTest, TheDesktopsPositionIsTheWindowsOwnAndNeverAsksTheDevice)
{
    PlayRow(1);  // 100 frames at 25 a second
    ASSERT_TRUE(Idle());
    player().SeekToFrame(60);
    ASSERT_TRUE(Idle());
    Button("Pause")->click();
    ASSERT_TRUE(Idle());
    const size_t before = channel.log.size();
    const int32_t paused = player().PositionFrame();
    EXPECT_GE(paused, 60);
    EXPECT_LE(paused, 63) << "a few frames at most between the seek and the pause";
    ASSERT_TRUE(Holding("Resume", [&] { Button("Pause")->click(); }));
    EXPECT_EQ(player().PositionFrame(), paused) << "still paused while the resume waits";
    EXPECT_EQ(SentSince(before), std::vector<std::string>{});
    channel.releaseHeld();
    ASSERT_TRUE(Idle());
}

}  // namespace zelko
