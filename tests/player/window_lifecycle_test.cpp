// Start-up and shut-down: the playlist files of the current folder are read into the lists and
// written back, byte for byte, when the window closes, after the timers stop and the devices
// close.
#include "form_fixture.h"

namespace {

struct RoundTrip {
    const char* name;
    QByteArray pl1, pl2;       // on disk before start; "<missing>" for no file
    QStringList list1, list2;  // what the lists hold after start
    QByteArray saved1 = {}, saved2 = {};  // on disk after close, when not the same bytes
};

TEST(WindowLifecycle, PlaylistFilesOfTheCurrentFolderRoundTripByteForByte)
{
    const QByteArray missing("<missing>");
    const RoundTrip cases[] = {
        {"ZeroByteFiles", "", "", {}, {}},
        {"MissingFiles", missing, missing, {}, {}},
        {"CommasQuotesBlanks", "  lead, \"quoted\", trail  \r\n", "/m/  lead, \"q\".mp3\r\n",
         {"  lead, \"quoted\", trail  "}, {"/m/  lead, \"q\".mp3"}},
        {"EmptyEntry", "\r\nx.wav\r\n", "\r\n/m/x.wav\r\n", {"", "x.wav"}, {"", "/m/x.wav"}},
        {"ThreeLinesAgainstTwo", "a\r\nb\r\nc\r\n", "/a\r\n/b\r\n", {"a", "b", "c"}, {"/a", "/b"}},
        {"LastLineWithoutLineEnd", "a\r\nb", "/a\r\n/b", {"a", "b"}, {"/a", "/b"}, "a\r\nb\r\n", "/a\r\n/b\r\n"},
        {"NonAscii", "Dvořák.mp3\r\n", "/m/Dvořák.mp3\r\n", {QString::fromUtf8("Dvořák.mp3")},
         {QString::fromUtf8("/m/Dvořák.mp3")}},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        TempCwd cwd;
        for (const auto& [file, bytes] : {std::pair{"pl1.txt", c.pl1}, std::pair{"pl2.txt", c.pl2}})
            if (bytes != missing)
                WriteBytes(cwd.file(file), bytes);
        FakeDevice channel;
        Form1 form(channel);
        EXPECT_EQ(Entries(form.List1), c.list1);
        EXPECT_EQ(Entries(form.List2), c.list2);
        EXPECT_TRUE(form.List1->selectedItems().isEmpty());
        form.show();
        EXPECT_TRUE(form.close());
        const auto saved = [&](const QByteArray& before, const QByteArray& after) {
            return !after.isNull() ? after : before == missing ? QByteArray("") : before;
        };
        EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), saved(c.pl1, c.saved1));
        EXPECT_EQ(ReadBytes(cwd.file("pl2.txt")), saved(c.pl2, c.saved2));
    }
}

TEST(WindowLifecycle, CloseStopsTheTimersThenClosesAllDevicesThenWritesOnce)
{
    TempCwd cwd;
    WriteBytes(cwd.file("pl1.txt"), "old\r\n");
    FakeDevice channel;
    Form1 form(channel);
    form.show();
    form.List1->addItem("new");
    form.TimerMisc->start();
    std::vector<std::string> order;
    channel.onSend = [&](const std::string& text) {
        if (text != "Close All")
            return;
        order.push_back(text);
        EXPECT_FALSE(form.TimerMisc->isActive());
        EXPECT_FALSE(form.TimerAtEndFile->isActive());
        EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "old\r\n") << "the files are written after the devices close";
    };
    QTimer::singleShot(0, &form, [&] { order.push_back("queued work"); });
    form.asxToolbar3->Button(1)->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(order, (std::vector<std::string>{"queued work", "Close All"}));
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "old\r\nnew\r\n");
    form.List1->addItem("after");  // a second close request finds the work done
    form.show();
    form.close();
    EXPECT_EQ(channel.count("Close All"), 1);
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "old\r\nnew\r\n");
}

TEST(WindowLifecycle, ATitleFileThatCannotBeWrittenStillLetsThePathFileBeWrittenAndTheWindowClose)
{
    TempCwd cwd;
    ASSERT_TRUE(QDir().mkdir("pl1.txt"));  // a folder where the file should go
    FakeDevice channel;
    Form1 form(channel);
    form.List2->addItem("/new");
    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ReadBytes(cwd.file("pl2.txt")), "/new\r\n");
}

}  // namespace
