// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shut-down: the playlist files of the current folder are read into the lists and
// written back, byte for byte whatever their code page, when the window closes, after the
// timers stop and the devices close.
#include "form_fixture.h"

namespace zelko {

struct RoundTrip {
    const char* name;
    QByteArray pl1, pl2;  // on disk before start, and the same bytes after close
    QStringList shown;    // what the playlist shows after start
};

using WindowLifecycle = FormTest<FakeDevice>;

TEST_F(WindowLifecycle, PlaylistFilesOfTheCurrentFolderRoundTripByteForByte)
{
    const RoundTrip cases[] = {
        {"ZeroByteFiles", "", "", {}},
        // A mark on one file only, which stays there and is not added to the other.
        {"ThreeLinesAgainstTwo", "\xEF\xBB\xBF" + QByteArray("a\r\nb\r\nc\r\n"), "/a\r\n/b\r\n", {"a", "b", "c"}},
        // The lists show each line decoded (the decoding has its own cases in playlist_file_test).
        {"Windows1252AndUtf8", "caf\xE9.mp3\r\nna\xC3\xAFve.mid\r\n", "/m/caf\xE9.mp3\r\n", {"café.mp3", "naïve.mid"}},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(cwd.filePath("pl1.txt"), c.pl1);
        WriteBytes(cwd.filePath("pl2.txt"), c.pl2);
        Start();
        EXPECT_EQ(Entries(Playlist()), c.shown);
        EXPECT_TRUE(Playlist()->selectedItems().isEmpty());
        WriteBytes(cwd.filePath("pl1.txt"), "overwritten");
        WriteBytes(cwd.filePath("pl2.txt"), "overwritten");
        EXPECT_TRUE(form->close());
        EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), c.pl1);
        EXPECT_EQ(ReadBytes(cwd.filePath("pl2.txt")), c.pl2);
    }
}

TEST_F(WindowLifecycle, EditsKeepTheBytesOfEveryOtherEntryAndNewEntriesAreUtf8)
{
    WriteBytes(cwd.filePath("pl1.txt"), "gone.wav\r\ncaf\xE9.wav\r\n");
    WriteBytes(cwd.filePath("pl2.txt"), "/m/gone.wav\r\n/m/caf\xE9.wav\r\n");
    Start();
    Select(0);
    Button("Remove")->click();
    player().AppendEntry("\xC3\xA9t\xC3\xA9.wav", "/m/\xC3\xA9t\xC3\xA9.wav");
    player().AppendEntry("two\nlines.wav", "/m/two\nlines.wav");  // a playlist line could not hold it
    EXPECT_EQ(Entries(Playlist()), (QStringList{"café.wav", "été.wav"}));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), "caf\xE9.wav\r\n\xC3\xA9t\xC3\xA9.wav\r\n");
    EXPECT_EQ(ReadBytes(cwd.filePath("pl2.txt")), "/m/caf\xE9.wav\r\n/m/\xC3\xA9t\xC3\xA9.wav\r\n");
}

// Beyond the 32,767 entries a 16-bit index counts, the end of an entry still moves on to the
// next. (That such a playlist loads, plays and is saved whole, e2e_big_playlist shows.)
TEST_F(WindowLifecycle, FortyThousandEntriesPlayOnAtTheEnd)
{
    constexpr int kEntries = 40000;
    QByteArray titles, paths;
    for (int i = 0; i < kEntries; ++i) {
        titles += "entry " + QByteArray::number(i) + " caf\xE9\r\n";
        paths += "/m/" + QByteArray::number(i) + ".wav\r\n";
    }
    WriteBytes(cwd.filePath("pl1.txt"), titles);
    WriteBytes(cwd.filePath("pl2.txt"), paths);
    channel.clips = {{"/m/39998.wav", {}}, {"/m/39999.wav", {}}};
    Start();
    ASSERT_EQ(Playlist()->count(), kEntries);
    Select(kEntries - 2);
    Type(Qt::Key_Return);
    ASSERT_TRUE(channel.playing("/m/39998.wav"));
    channel.device->positionMs = channel.device->lengthMs;  // it ends: the next entry plays
    Form1Probe::Tick(*form, Clock::AtEndFile);
    EXPECT_TRUE(channel.playing("/m/39999.wav"));
    EXPECT_EQ(player().Now().title, "entry 39999 café");
}

TEST_F(WindowLifecycle, CloseStopsTheTimersThenClosesAllDevicesThenWritesOnce)
{
    channel.clips["/m/new.wav"] = {};
    AddEntry("new", "/m/new.wav");
    PlayRow(0);
    ASSERT_TRUE(Form1Probe::Running(*form, Clock::Misc));
    channel.log.clear();
    std::vector<std::string> order;
    channel.onSend = [&](const std::string& text) {
        if (text != "Close All") {
            return;
        }
        order.push_back(text);
        EXPECT_FALSE(Form1Probe::Running(*form, Clock::Misc));
        EXPECT_FALSE(Form1Probe::Running(*form, Clock::AtEndFile));
        EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), "<missing>") << "the files are written after the devices close";
    };
    QTimer::singleShot(0, form.get(), [&] { order.push_back("queued work"); });
    Button("Close")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(order, (std::vector<std::string>{"queued work", "Close All"}));
    EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), "new\r\n");
    EXPECT_EQ(player().Now().status, Player::Status::Stopped);
    EXPECT_FALSE(player().Now().open);
    WriteBytes(cwd.filePath("pl1.txt"), "changed");  // a second close request finds the work done
    form->show();
    form->close();
    EXPECT_EQ(channel.count("Close All"), 1);
    EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), "changed");
}

TEST_F(WindowLifecycle, ATitleFileThatCannotBeWrittenStillLetsThePathFileBeWrittenAndTheWindowClose)
{
    ASSERT_TRUE(QDir().mkdir("pl1.txt"));  // a folder where the file should go
    AddEntry("new", "/new");
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ReadBytes(cwd.filePath("pl2.txt")), "/new\r\n");
}

// Every kind of edit reaches both files within a second, without a close, and the window does
// not rewrite them while nothing changes.
TEST_F(WindowLifecycle, EditsAreSavedWithinASecondWithoutAClose)
{
    const auto saved = [this](const QByteArray& pl1, const QByteArray& pl2) {
        return QTest::qWaitFor(
            [&] { return ReadBytes(cwd.filePath("pl1.txt")) == pl1 && ReadBytes(cwd.filePath("pl2.txt")) == pl2; },
            5000);
    };
    player().AppendEntry("a.wav", "/m/a.wav");
    player().AppendEntry("caf\xE9.wav", "/m/caf\xE9.wav");
    EXPECT_TRUE(saved("a.wav\r\ncaf\xE9.wav\r\n", "/m/a.wav\r\n/m/caf\xE9.wav\r\n"));
    Select(0);
    Button("Remove")->click();
    EXPECT_TRUE(saved("caf\xE9.wav\r\n", "/m/caf\xE9.wav\r\n"));
    Button("Clear All")->click();
    EXPECT_TRUE(saved("", ""));
}

// A playlist file that is no file (here a link to a device) shows as empty, is named, and is
// never written over; the other file is saved as usual.
TEST_F(WindowLifecycle, APlaylistFileThatIsNoFileIsLeftAlone)
{
    ASSERT_TRUE(QFile::link("/dev/null", cwd.filePath("pl1.txt")));
    Start();
    EXPECT_EQ(Playlist()->count(), 0);
    player().AppendEntry("a.wav", "/m/a.wav");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ReadBytes(cwd.filePath("pl2.txt")) == "/m/a.wav\r\n"; }, 5000));
    EXPECT_EQ(QFile::symLinkTarget(cwd.filePath("pl1.txt")), "/dev/null");
}

}  // namespace zelko
