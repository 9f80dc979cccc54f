// Start-up and shut-down: the playlist files of the current folder are read into the lists and
// written back, byte for byte, when the window closes, after the timers stop and the devices
// close.
#include "form_fixture.h"

struct RoundTrip {
    const char* name;
    QByteArray pl1, pl2;       // on disk before start, and the same bytes after close
    QStringList list1, list2;  // what the lists hold after start
};

using WindowLifecycle = FormTest<FakeDevice>;

TEST_F(WindowLifecycle, PlaylistFilesOfTheCurrentFolderRoundTripByteForByte)
{
    const RoundTrip cases[] = {
        {"ZeroByteFiles", "", "", {}, {}},
        {"CommasQuotesBlanks", "  lead, \"quoted\", trail  \r\n", "/m/  lead, \"q\".mp3\r\n",
         {"  lead, \"quoted\", trail  "}, {"/m/  lead, \"q\".mp3"}},
        {"EmptyEntry", "\r\nx.wav\r\n", "\r\n/m/x.wav\r\n", {"", "x.wav"}, {"", "/m/x.wav"}},
        {"ThreeLinesAgainstTwo", "a\r\nb\r\nc\r\n", "/a\r\n/b\r\n", {"a", "b", "c"}, {"/a", "/b"}},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(cwd.filePath("pl1.txt"), c.pl1);
        WriteBytes(cwd.filePath("pl2.txt"), c.pl2);
        Start();
        EXPECT_EQ(Entries(form->List1), c.list1);
        EXPECT_EQ(Entries(form->List2), c.list2);
        EXPECT_TRUE(form->List1->selectedItems().isEmpty());
        WriteBytes(cwd.filePath("pl1.txt"), "overwritten");
        WriteBytes(cwd.filePath("pl2.txt"), "overwritten");
        EXPECT_TRUE(form->close());
        EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), c.pl1);
        EXPECT_EQ(ReadBytes(cwd.filePath("pl2.txt")), c.pl2);
    }
}

TEST_F(WindowLifecycle, CloseStopsTheTimersThenClosesAllDevicesThenWritesOnce)
{
    form->List1->addItem("new");
    form->TimerMisc->start();
    std::vector<std::string> order;
    channel.onSend = [&](const std::string& text) {
        if (text != "Close All")
            return;
        order.push_back(text);
        EXPECT_FALSE(form->TimerMisc->isActive());
        EXPECT_FALSE(form->TimerAtEndFile->isActive());
        EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), "<missing>") << "the files are written after the devices close";
    };
    QTimer::singleShot(0, form.get(), [&] { order.push_back("queued work"); });
    form->asxToolbar3->Button(1)->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(order, (std::vector<std::string>{"queued work", "Close All"}));
    EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), "new\r\n");
    form->List1->addItem("after");  // a second close request finds the work done
    form->show();
    form->close();
    EXPECT_EQ(channel.count("Close All"), 1);
    EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), "new\r\n");
}

TEST_F(WindowLifecycle, ATitleFileThatCannotBeWrittenStillLetsThePathFileBeWrittenAndTheWindowClose)
{
    ASSERT_TRUE(QDir().mkdir("pl1.txt"));  // a folder where the file should go
    form->List2->addItem("/new");
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ReadBytes(cwd.filePath("pl2.txt")), "/new\r\n");
}
