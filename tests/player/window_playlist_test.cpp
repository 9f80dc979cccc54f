// Playlist editing through the toolbar and the real file-open dialog (answered by the test):
// List1 and List2 change together and List2's selection follows List1's.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "player/controls/asx_toolbar.h"
#include "player/controls/common_dialog.h"
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

class PlaylistEditing : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<Form1>(channel);
        form->show();
    }
    void TearDown() override
    {
        CommonDialog::SetAnswerForTests({});
        form.reset();
    }

    QString MakeFile(const QString& name)
    {
        const QString path = cwd.file(name);
        WriteBytes(path, "not really media");
        return path;
    }
    void Choose(const QString& path)
    {
        CommonDialog::SetAnswerForTests([path](QFileDialog& dialog) {
            dialog.selectFile(path);
            static_cast<QDialog&>(dialog).accept();  // QFileDialog checks the choice
        });
    }
    void Cancel()
    {
        CommonDialog::SetAnswerForTests([](QFileDialog& dialog) { dialog.reject(); });
    }
    void Fill(const QStringList& titles)
    {
        for (const QString& title : titles) {
            form->List1->addItem(title);
            form->List2->addItem("/m/" + title);
        }
    }
    void ExpectSelected(int row)
    {
        EXPECT_EQ(form->List1->currentRow(), row);
        EXPECT_EQ(form->List2->currentRow(), row);
    }
    void ExpectNothingSelected()
    {
        ExpectSelected(-1);
        EXPECT_TRUE(form->List1->selectedItems().isEmpty());
        EXPECT_TRUE(form->List2->selectedItems().isEmpty());
    }
    void Add() { form->asxToolbar2->Button(1)->click(); }

    TempCwd cwd;
    RecordingChannel channel;
    std::unique_ptr<Form1> form;
};

TEST_F(PlaylistEditing, AddOnAnEmptyPlaylistAppendsTitleAndPathAndSelectsThemInBoth)
{
    const QString path = MakeFile("first song.mp3");
    Choose(path);
    Add();
    EXPECT_EQ(Entries(form->List1), QStringList{"first song.mp3"});
    EXPECT_EQ(Entries(form->List2), QStringList{path});
    ExpectSelected(0);
    EXPECT_EQ(form->List1->selectedItems().size(), 1);
}

TEST_F(PlaylistEditing, TheSameFileTwiceGivesTwoEntriesAtTheEndUnsorted)
{
    Fill({"z.wav"});
    const QString path = MakeFile("a.mp3");
    Choose(path);
    Add();
    Add();
    EXPECT_EQ(Entries(form->List1), (QStringList{"z.wav", "a.mp3", "a.mp3"}));
    EXPECT_EQ(Entries(form->List2), (QStringList{"/m/z.wav", path, path}));
    ExpectSelected(2);
}

TEST_F(PlaylistEditing, ACancelledDialogAddsNothing)
{
    Choose(MakeFile("chosen before.mp3"));
    Add();
    Cancel();
    Add();
    EXPECT_EQ(Entries(form->List1), QStringList{"chosen before.mp3"});
    EXPECT_EQ(form->List2->count(), 1);
}

TEST_F(PlaylistEditing, AFileNameWithALineBreakIsNotAddedSinceThePlaylistFilesCouldNotHoldIt)
{
    Choose(MakeFile("two\nlines.mp3"));
    Add();
    EXPECT_EQ(form->List1->count(), 0);
    EXPECT_EQ(form->List2->count(), 0);
    form->close();
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "");
}

TEST_F(PlaylistEditing, AFileChosenAfterTheWindowClosedIsNotAdded)
{
    // A signal or the session's end can close the window while the dialog is open.
    Fill({"a"});
    const QString path = MakeFile("late.mp3");
    CommonDialog::SetAnswerForTests([this, path](QFileDialog& dialog) {
        form->close();
        dialog.selectFile(path);
        static_cast<QDialog&>(dialog).accept();
    });
    Add();
    EXPECT_EQ(Entries(form->List1), QStringList{"a"});
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "a\r\n");
}

TEST_F(PlaylistEditing, RemoveRightAfterAddTakesTheNewEntryFromBothLists)
{
    Fill({"a", "b"});
    Choose(MakeFile("c.mp3"));
    Add();
    form->asxToolbar2->Button(2)->click();
    EXPECT_EQ(Entries(form->List1), (QStringList{"a", "b"}));
    EXPECT_EQ(Entries(form->List2), (QStringList{"/m/a", "/m/b"}));
    ExpectNothingSelected();
}

TEST_F(PlaylistEditing, RemoveTakesTheSelectedMiddleEntryAndLeavesNothingSelected)
{
    Fill({"a", "b", "c"});
    form->List1->setCurrentRow(1);
    ExpectSelected(1);
    form->asxToolbar2_ButtonClick(2, "remove");
    EXPECT_EQ(Entries(form->List1), (QStringList{"a", "c"}));
    EXPECT_EQ(Entries(form->List2), (QStringList{"/m/a", "/m/c"}));
    ExpectNothingSelected();
}

TEST_F(PlaylistEditing, RemoveWithNothingSelectedChangesNothing)
{
    Fill({"a", "b"});
    form->asxToolbar2_ButtonClick(2, "remove");
    EXPECT_EQ(Entries(form->List1), (QStringList{"a", "b"}));
    EXPECT_EQ(Entries(form->List2), (QStringList{"/m/a", "/m/b"}));
    ExpectNothingSelected();
}

TEST_F(PlaylistEditing, ClearAllEmptiesBothListsAndTheFilesAfterClose)
{
    Fill({"a", "b", "c"});
    form->List1->setCurrentRow(2);
    form->asxToolbar2->Button(3)->click();
    EXPECT_EQ(form->List1->count(), 0);
    EXPECT_EQ(form->List2->count(), 0);
    form->close();
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "");
    EXPECT_EQ(ReadBytes(cwd.file("pl2.txt")), "");
}

TEST_F(PlaylistEditing, OtherButtonIndexesDoNothing)
{
    Fill({"a"});
    form->List1->setCurrentRow(0);
    Cancel();
    for (int index : {0, 4, -1})
        form->asxToolbar2_ButtonClick(index, "add");
    EXPECT_EQ(Entries(form->List1), QStringList{"a"});
    ExpectSelected(0);
}

TEST_F(PlaylistEditing, ArrowKeysAndClicksMoveTheSelectionOfBothLists)
{
    Fill({"a", "b", "c", "d"});
    QTest::keyClick(form->List1, Qt::Key_Down);
    ExpectSelected(0);
    QTest::keyClick(form->List1, Qt::Key_Down);
    QTest::keyClick(form->List1, Qt::Key_Down);
    QTest::keyClick(form->List1, Qt::Key_Down);
    ExpectSelected(3);
    QTest::keyClick(form->List1, Qt::Key_Up);
    ExpectSelected(2);
    const QRect second = form->List1->visualItemRect(form->List1->item(1));
    QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {}, second.center());
    ExpectSelected(1);
    form->List1->setCurrentRow(3);  // by code too
    ExpectSelected(3);
}

TEST_F(PlaylistEditing, FocusOnTheListDoesNotSelectAnEntry)
{
    Fill({"a", "b"});
    QApplication::setActiveWindow(form.get());
    form->List1->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(form->List1->hasFocus());
    ExpectNothingSelected();
}

TEST_F(PlaylistEditing, TheDialogOffersTheMediaFilterInItsOrder)
{
    const QString filter = QString::fromLatin1(
        "All media |*.mp3;*.mp2;*.wav;*.midi;*.mid;*.au;*.aiff;*.rmi;*.mpg;*.mpeg;*.avi;*.vob|"
        "All audio |*.mp3;*.mp2;*.wav;*.midi;*.mid|All video |*.mpg;*.mpeg;*.avi;*.vob|"
        "mp3 (*.mp3)|*.mp3|wav (*.wav)|*.wav|au(*.au)|*.au|aiff(*.aiff)|*.aiff|rmi(*.rmi)|*.rmi|"
        "avi(*.avi)|*.avi|mpg(*.mpg)|*.mpg|mpge(*.mpge)|*.mpge|mid(*.mid)|*.mid|midi(*.midi)|*.midi|"
        "DVD(*.vob)|*.vob");
    ASSERT_EQ(filter.size(), 357);
    EXPECT_EQ(form->CommonDialog1->Filter(), filter);
    EXPECT_EQ(form->CommonDialog1->NameFilters().size(), 14);

    QString offered;
    CommonDialog::SetAnswerForTests([&offered](QFileDialog& dialog) {
        offered = dialog.selectedNameFilter();
        dialog.reject();
    });
    Add();
    EXPECT_TRUE(offered.startsWith("All media")) << offered.toStdString();
}

}  // namespace
