// Start-up and shut-down: the playlist files of the current folder are read into the lists and
// written back, byte for byte, when the window closes, after the timers stop and the devices
// close.
#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include "player/controls/asx_toolbar.h"
#include "player/form1.h"
#include "window_support.h"

namespace {

QStringList Entries(const QListWidget* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

struct RoundTrip {
    const char* name;
    QByteArray pl1, pl2;          // on disk before start; "<missing>" for no file
    QStringList list1, list2;     // what the lists hold after start
    QByteArray saved1, saved2;    // on disk after close
};

const QByteArray kMissing("<missing>");

std::vector<RoundTrip> RoundTrips()
{
    return {
        {"EmptyFiles", "", "", {}, {}, "", ""},
        {"MissingFiles", kMissing, kMissing, {}, {}, "", ""},
        {"TwoEntries", "a.mp3\r\nb.avi\r\n", "/m/a.mp3\r\n/m/b.avi\r\n", {"a.mp3", "b.avi"},
         {"/m/a.mp3", "/m/b.avi"}, "a.mp3\r\nb.avi\r\n", "/m/a.mp3\r\n/m/b.avi\r\n"},
        {"CommasQuotesBlanks", "  lead, \"quoted\", trail  \r\n", "/m/  lead, \"quoted\".mp3\r\n",
         {"  lead, \"quoted\", trail  "}, {"/m/  lead, \"quoted\".mp3"},
         "  lead, \"quoted\", trail  \r\n", "/m/  lead, \"quoted\".mp3\r\n"},
        {"EmptyEntry", "\r\nx.wav\r\n", "\r\n/m/x.wav\r\n", {"", "x.wav"}, {"", "/m/x.wav"},
         "\r\nx.wav\r\n", "\r\n/m/x.wav\r\n"},
        {"ThreeLinesAgainstTwo", "a\r\nb\r\nc\r\n", "/a\r\n/b\r\n", {"a", "b", "c"}, {"/a", "/b"},
         "a\r\nb\r\nc\r\n", "/a\r\n/b\r\n"},
        {"LastLineWithoutLineEnd", "a\r\nb", "/a\r\n/b", {"a", "b"}, {"/a", "/b"}, "a\r\nb\r\n",
         "/a\r\n/b\r\n"},
        {"NonAsciiNames", "Dvořák – Largo.mp3\r\n", "/m/Dvořák – Largo.mp3\r\n",
         {QString::fromUtf8("Dvořák – Largo.mp3")}, {QString::fromUtf8("/m/Dvořák – Largo.mp3")},
         "Dvořák – Largo.mp3\r\n", "/m/Dvořák – Largo.mp3\r\n"},
    };
}

class PlaylistRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(PlaylistRoundTrip, LoadsEachLineAsOneEntryAndWritesTheSameBytesBack)
{
    const RoundTrip& c = GetParam();
    TempCwd cwd;
    if (c.pl1 != kMissing)
        WriteBytes(cwd.file("pl1.txt"), c.pl1);
    if (c.pl2 != kMissing)
        WriteBytes(cwd.file("pl2.txt"), c.pl2);

    RecordingChannel channel;
    Form1 form(channel);
    EXPECT_EQ(Entries(form.List1), c.list1);
    EXPECT_EQ(Entries(form.List2), c.list2);
    EXPECT_EQ(form.List1->currentRow(), -1);
    EXPECT_EQ(form.List2->currentRow(), -1);
    EXPECT_TRUE(form.List1->selectedItems().isEmpty());

    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), c.saved1);
    EXPECT_EQ(ReadBytes(cwd.file("pl2.txt")), c.saved2);

    // And the next start shows the same playlist.
    Form1 again(channel);
    EXPECT_EQ(Entries(again.List1), c.list1);
    EXPECT_EQ(Entries(again.List2), c.list2);
}

INSTANTIATE_TEST_SUITE_P(Files, PlaylistRoundTrip, ::testing::ValuesIn(RoundTrips()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WindowLifecycle, ReadsAndWritesTheFilesOfTheCurrentFolderOnly)
{
    TempCwd other;
    WriteBytes(other.file("pl1.txt"), "other\r\n");
    WriteBytes(other.file("pl2.txt"), "/other\r\n");
    TempCwd cwd;
    WriteBytes(cwd.file("pl1.txt"), "mine\r\n");
    WriteBytes(cwd.file("pl2.txt"), "/mine\r\n");

    RecordingChannel channel;
    Form1 form(channel);
    EXPECT_EQ(Entries(form.List1), QStringList{"mine"});
    form.List1->addItem("added");
    form.List2->addItem("/added");
    form.show();
    form.close();

    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "mine\r\nadded\r\n");
    EXPECT_EQ(ReadBytes(cwd.file("pl2.txt")), "/mine\r\n/added\r\n");
    EXPECT_EQ(ReadBytes(other.file("pl1.txt")), "other\r\n");
    EXPECT_EQ(ReadBytes(other.file("pl2.txt")), "/other\r\n");
}

TEST(WindowLifecycle, CloseStopsTheTimersRunsQueuedWorkThenClosesAllDevicesThenWrites)
{
    TempCwd cwd;
    WriteBytes(cwd.file("pl1.txt"), "old\r\n");
    RecordingChannel channel;
    Form1 form(channel);
    form.show();
    form.List1->addItem("new");
    form.TimerMisc->start();
    ASSERT_TRUE(form.TimerAtEndFile->isActive());

    std::vector<std::string> order;
    channel.onSend = [&](const std::string& text) {
        if (text != "Close All")
            return;
        order.push_back("Close All");
        EXPECT_FALSE(form.TimerMisc->isActive());
        EXPECT_FALSE(form.TimerAtEndFile->isActive());
        EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "old\r\n") << "the files are written after the devices close";
    };
    QTimer::singleShot(0, &form, [&] { order.push_back("queued work"); });
    form.mResult = "kept";
    form.LbResult->setText("caption kept");

    form.close();
    EXPECT_EQ(order, (std::vector<std::string>{"queued work", "Close All"}));
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "old\r\nnew\r\n");
    EXPECT_EQ(form.mResult, "kept");
    EXPECT_EQ(form.LbResult->text(), "caption kept");
    EXPECT_FALSE(form.Timerscroll->isActive());
}

TEST(WindowLifecycle, ASecondCloseRequestFindsTheWorkDone)
{
    TempCwd cwd;
    RecordingChannel channel;
    Form1 form(channel);
    form.show();
    form.List1->addItem("first");
    form.close();
    form.List1->addItem("after");
    form.show();
    form.close();
    EXPECT_EQ(channel.count("Close All"), 1);
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "first\r\n");
}

TEST(WindowLifecycle, ATitleFileThatCannotBeWrittenStillLetsThePathFileBeWrittenAndTheWindowClose)
{
    TempCwd cwd;
    WriteBytes(cwd.file("pl2.txt"), "/old\r\n");
    ASSERT_TRUE(QDir(cwd.path()).mkdir("pl1.txt"));  // a folder where the file should go
    RecordingChannel channel;
    Form1 form(channel);
    form.List1->addItem("a");
    form.List2->addItem("/new");
    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ReadBytes(cwd.file("pl2.txt")), "/old\r\n/new\r\n");
    EXPECT_TRUE(QFileInfo(cwd.file("pl1.txt")).isDir());
}

TEST(WindowLifecycle, OnlyTheCloseButtonOfTheCloseToolbarCloses)
{
    TempCwd cwd;
    RecordingChannel channel;
    Form1 form(channel);
    form.show();
    for (int index : {0, 2, -1, 32767}) {
        form.asxToolbar3_ButtonClick(index, "close");
        EXPECT_TRUE(form.isVisible()) << index;
    }
    EXPECT_EQ(channel.count("Close All"), 0);
    form.asxToolbar3->Button(1)->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(channel.count("Close All"), 1);
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "");
}

TEST(WindowLifecycle, TimersStartAsDesigned)
{
    TempCwd cwd;
    RecordingChannel channel;
    Form1 form(channel);
    EXPECT_TRUE(form.TimerAtEndFile->isActive());
    EXPECT_EQ(form.TimerAtEndFile->interval(), 100);
    EXPECT_FALSE(form.TimerMisc->isActive());
    EXPECT_EQ(form.TimerMisc->interval(), 500);
    EXPECT_FALSE(form.Timerscroll->isActive());
    EXPECT_EQ(form.Timerscroll->interval(), 5000);
    EXPECT_TRUE(form.mAlias.empty());
    EXPECT_TRUE(form.mResult.empty());
    EXPECT_EQ(form.mPercentPlayed, 0);
}

}  // namespace
