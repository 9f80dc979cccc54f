// Playlist editing through the toolbar and the real file-open dialog (answered by the test):
// List1 and List2 change together and List2's selection follows List1's.
#include <QFileDialog>

#include "form_fixture.h"
#include "player/controls/common_dialog.h"

class PlaylistEditing : public FormTest<FakeDevice> {
protected:
    void TearDown() override { CommonDialog::SetAnswerForTests({}); }
    void Click(int button) { form->asxToolbar2->Button(button)->click(); }
    // Add to Playlist, the dialog choosing the file `name` in the current folder, or cancelled.
    void Add(const QString& name = {})
    {
        WriteBytes(cwd.filePath(name), "not really media");
        CommonDialog::SetAnswerForTests([path = cwd.filePath(name), name](QFileDialog& dialog) {
            if (name.isEmpty())
                return dialog.reject();
            dialog.selectFile(path);
            static_cast<QDialog&>(dialog).accept();  // QFileDialog checks the choice
        });
        Click(1);
    }
    void Expect(const QStringList& titles, const QStringList& paths, int selected)
    {
        EXPECT_EQ(Entries(form->List1), titles);
        EXPECT_EQ(Entries(form->List2), paths);
        EXPECT_EQ(form->List1->currentRow(), selected);
        EXPECT_EQ(form->List2->currentRow(), selected);
        EXPECT_EQ(form->List1->selectedItems().size(), selected >= 0 ? 1 : 0);
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
        QTest::keyClick(form->List1, key);
        Expect(titles, paths, row);
    }
    Click(2);
    Expect({"z.wav"}, {"/m/z.wav"}, -1);
    Click(2);  // nothing selected: nothing removed
    Expect({"z.wav"}, {"/m/z.wav"}, -1);
    Click(3);
    Expect({}, {}, -1);
}
