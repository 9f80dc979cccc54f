// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped on the window join the playlist as Add to Playlist adds a file and the first of
// them plays; a drag is taken only when it carries local files.
#include <QMimeData>

#include "desktop/file_drops.h"
#include "tests/player/form_fixture.h"

namespace zelko {

class FileDropsTest : public FormTest<FakeDevice> {
protected:
    void Start() override
    {
        FormTest<FakeDevice>::Start();
        new FileDrops(player());
    }
    // A file in the test folder that the scripted device can open (it reads commands case-blind
    // but looks files up as named).
    QString Clip(const QString& name)
    {
        const QString path = cwd.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        WriteBytes(path, "media");
        return channel.addAudio(path);
    }
    // Drags the URIs over target and drops them there; true when the drag was taken.
    static bool Drop(QWidget* target, const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        return QApplication::sendEvent(target, &enter) && enter.isAccepted() &&
               QApplication::sendEvent(target, &drop) && drop.isAccepted();
    }
    bool PlaysSoon(const QString& path)
    {
        return QTest::qWaitFor([&] { return channel.playingAnyCase(path); }, 5000);
    }
};

TEST_F(FileDropsTest, FilesAndAFolderDroppedOnTheListAreAppendedAndTheFirstPlays)
{
    AddEntry("z.wav", "/m/z.wav");
    const QString song = Clip("a.mp3"), rmi = Clip("box/A.rmi"), mid = Clip("box/b.mid");
    WriteBytes(cwd.filePath("notes.txt"), "text");
    ASSERT_TRUE(Drop(Playlist()->viewport(), {QUrl::fromLocalFile(song), QUrl::fromLocalFile(cwd.filePath("notes.txt")),
                                              QUrl::fromLocalFile(cwd.filePath("box"))}));
    ASSERT_TRUE(PlaysSoon(song));
    EXPECT_EQ(Entries(Playlist()), QStringList({"z.wav", "a.mp3", "A.rmi", "b.mid"}));
    EXPECT_EQ(Form1Probe::Paths(*form), QStringList({"/m/z.wav", song, rmi, mid}));
    EXPECT_EQ(Playlist()->currentRow(), 1);
    EXPECT_EQ(player().Now().title, "a.mp3");
}

TEST_F(FileDropsTest, OnlyLocalFilesAreTakenAnywhereOnTheWindow)
{
    EXPECT_FALSE(Drop(Playlist()->viewport(), {QUrl("https://example.com/a.mp3")}));
    EXPECT_FALSE(Drop(form.get(), {}));
    const QString song = Clip("a.mp3");
    ASSERT_TRUE(Drop(form.get(), {QUrl::fromLocalFile(song)}));  // outside the list
    ASSERT_TRUE(PlaysSoon(song));
    EXPECT_EQ(Form1Probe::Paths(*form), QStringList({song}));
}

TEST_F(FileDropsTest, InFullscreenModeTheFirstPlaysOverTheWholeScreen)
{
    AddEntry("a.mp3", Clip("a.mp3"));
    PlayRow(0);
    Button("Fullscreen")->click();
    channel.log.clear();
    const QString tune = Clip("b.mid");
    ASSERT_TRUE(Drop(form.get(), {QUrl::fromLocalFile(tune)}));
    ASSERT_TRUE(PlaysSoon(tune));
    EXPECT_TRUE(form->isMaximized());
    // F1's play places the video over the maximized window; the normal window's play does not.
    EXPECT_TRUE(std::any_of(channel.log.begin(), channel.log.end(),
                            [](const std::string& c) { return c.rfind("put movie window at", 0) == 0; }));
}

}  // namespace zelko
