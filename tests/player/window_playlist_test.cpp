// SPDX-License-Identifier: GPL-3.0-or-later
// Playlist editing through the toolbar and the real file-open dialog (answered by the test):
// List1 and List2 change together and List2's selection follows List1's; the dialog offers the
// kinds the player plays.
#include <QFileDialog>
#include <QFileSystemModel>
#include <QScopeGuard>
#include <QSet>

#include "form_fixture.h"
#include "player/controls/common_dialog.h"

namespace zelko {

class PlaylistEditing : public FormTest<FakeDevice> {
protected:
    void TearDown() override { CommonDialog::SetAnswerForTests({}); }

    // Add to Playlist, the dialog choosing the file `name` in the current folder, or cancelled.
    void Add(const QString& name = {})
    {
        WriteBytes(cwd.filePath(name), "not really media");
        CommonDialog::SetAnswerForTests([path = cwd.filePath(name), name](QFileDialog& dialog) {
            if (name.isEmpty()) {
                return dialog.reject();
            }
            dialog.selectFile(path);
            static_cast<QDialog&>(dialog).accept();  // QFileDialog checks the choice
        });
        Button("Add to Playlist")->click();
    }
    void Expect(const QStringList& titles, const QStringList& paths, int selected)
    {
        EXPECT_EQ(Entries(Playlist()), titles);
        EXPECT_EQ(Form1Probe::Paths(*form), paths);
        EXPECT_EQ(Playlist()->currentRow(), selected);
        EXPECT_EQ(Form1Probe::SelectedPath(*form), selected);
        EXPECT_EQ(Playlist()->selectedItems().size(), selected >= 0 ? 1 : 0);
    }
};

TEST_F(PlaylistEditing, AddRemoveClearAllAndTheArrowKeysKeepBothListsTogether)
{
    AddEntry("z.wav", "/m/z.wav");
    Add("a song.mp3");
    const QStringList titles{"z.wav", "a song.mp3"}, paths{"/m/z.wav", cwd.filePath("a song.mp3")};
    Expect(titles, paths, 1);
    Add();                  // cancelled
    Add("two\nlines.mp3");  // the playlist files could not hold it
    Expect(titles, paths, 1);
    for (const auto& [key, row] : {std::pair{Qt::Key_Up, 0}, std::pair{Qt::Key_Down, 1}, std::pair{Qt::Key_Down, 1}}) {
        QTest::keyClick(Playlist(), key);
        Expect(titles, paths, row);
    }
    Button("Remove")->click();
    Expect({"z.wav"}, {"/m/z.wav"}, -1);
    Button("Remove")->click();  // nothing selected: nothing removed
    Expect({"z.wav"}, {"/m/z.wav"}, -1);
    Button("Clear All")->click();
    Expect({}, {}, -1);
}

// The dialog opens on the choice that lists every kind of clip the engine plays, and nothing
// else; a choice whose description names its own pattern filters on that pattern.
TEST_F(PlaylistEditing, TheDialogFirstListsTheClipsOfEveryKindThePlayerPlaysAndNothingElse)
{
    const QStringList playable = {"tone.wav", "tone.au",  "tone.aiff", "tone.mp3",  "tone.mp2",
                                  "tune.mid", "tune.rmi", "video.mpg", "video.avi", "video.vob"};
    QDir().mkpath(cwd.filePath("clips"));
    const QString folder = QFileInfo(cwd.filePath("clips")).canonicalFilePath();
    for (const QString& name : playable + QStringList{"notes.txt", "voice.aifc", "film.mp4"}) {
        WriteBytes(folder + "/" + name, "");
    }
    CommonDialog::SetAnswerForTests([&](QFileDialog& dialog) {
        const auto close = qScopeGuard([&] { dialog.reject(); });  // also when an assertion fails
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        dialog.setDirectory(folder);
        const auto shows = [&](const QStringList& names) {  // the model reads in its own time
            return QTest::qWaitFor(
                [&] {
                    QSet<QString> shown;
                    for (int row = 0; row < model->rowCount(model->index(folder)); ++row) {
                        shown << model->index(row, 0, model->index(folder)).data().toString();
                    }
                    return shown == QSet<QString>(names.begin(), names.end());
                },
                10000);
        };
        EXPECT_TRUE(shows(playable)) << dialog.selectedNameFilter().toStdString();
        dialog.selectNameFilter(dialog.nameFilters().last());
        EXPECT_TRUE(shows({"video.vob"})) << dialog.selectedNameFilter().toStdString();
    });
    Button("Add to Playlist")->click();
    EXPECT_EQ(Playlist()->count(), 0);
}

}  // namespace zelko
