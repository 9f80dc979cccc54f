#include "player/controls/common_dialog.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kFilter =
    "All media |*.mp3;*.mp2;*.wav;*.midi;*.mid;*.au;*.aiff;*.rmi;*.mpg;*.mpeg;*.avi;*.vob|All audio "
    "|*.mp3;*.mp2;*.wav;*.midi;*.mid|All video |*.mpg;*.mpeg;*.avi;*.vob|mp3 (*.mp3)|*.mp3|wav "
    "(*.wav)|*.wav|au(*.au)|*.au|aiff(*.aiff)|*.aiff|rmi(*.rmi)|*.rmi|avi(*.avi)|*.avi|mpg(*.mpg)|*.mpg|"
    "mpge(*.mpge)|*.mpge|mid(*.mid)|*.mid|midi(*.midi)|*.midi|DVD(*.vob)|*.vob";

// A file of every offered type, the misspelt one, and two that no choice takes.
const QStringList kMedia = {"a.mp3", "a.mp2", "a.wav", "a.midi", "a.mid", "a.au",
                            "a.aiff", "a.rmi", "a.mpg", "a.mpeg", "a.avi", "a.vob"};
const QStringList kOthers = {"a.mpge", "a.txt", "a.mp4"};

}  // namespace

TEST(CommonDialog, OffersTheFourteenChoicesInOrder) {
    CommonDialog dialog;
    dialog.SetFilter(kFilter);
    EXPECT_EQ(dialog.NameFilters(),
              (QStringList{"All media  (*.mp3 *.mp2 *.wav *.midi *.mid *.au *.aiff *.rmi *.mpg *.mpeg *.avi *.vob)",
                           "All audio  (*.mp3 *.mp2 *.wav *.midi *.mid)", "All video  (*.mpg *.mpeg *.avi *.vob)",
                           "mp3 (*.mp3) (*.mp3)", "wav (*.wav) (*.wav)", "au(*.au) (*.au)", "aiff(*.aiff) (*.aiff)",
                           "rmi(*.rmi) (*.rmi)", "avi(*.avi) (*.avi)", "mpg(*.mpg) (*.mpg)", "mpge(*.mpge) (*.mpge)",
                           "mid(*.mid) (*.mid)", "midi(*.midi) (*.midi)", "DVD(*.vob) (*.vob)"}));
}

// The real dialog of ShowOpen: the first choice selected, each filtering on its own patterns.
TEST(CommonDialog, TheRealDialogFiltersOnTheChosenPatternsAndCancelKeepsTheEarlierChoice) {
    QTemporaryDir folder;
    for (const QString& name : kMedia + kOthers) QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
    const QString path = QFileInfo(folder.path()).canonicalFilePath();
    CommonDialog dialog;
    dialog.SetFilter(kFilter);
    CommonDialog::SetAnswerForTests([&](QFileDialog& shown) {
        const auto close = qScopeGuard([&] { shown.reject(); });  // also when an assertion fails
        auto* model = shown.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        shown.setDirectory(path);
        // The model reads the folder and applies the filter in its own time.
        auto shows = [&](const QStringList& want) {
            return QTest::qWaitFor([&] {
                QSet<QString> names;
                for (int row = 0; row < model->rowCount(model->index(path)); ++row)
                    names << model->index(row, 0, model->index(path)).data().toString();
                return names == QSet<QString>(want.begin(), want.end());
            }, 10000);
        };
        EXPECT_EQ(shown.selectedNameFilter(), "All media");
        EXPECT_TRUE(shows(kMedia));
        shown.selectNameFilter("mpge(*.mpge) (*.mpge)");
        EXPECT_EQ(shown.selectedNameFilter(), "mpge(*.mpge)");
        EXPECT_TRUE(shows({"a.mpge"}));
    });
    EXPECT_FALSE(dialog.ShowOpen());
    EXPECT_EQ(dialog.FileName(), "");
    CommonDialog::SetAnswerForTests([&](QFileDialog& shown) {
        shown.selectFile(folder.filePath("a.avi"));
        static_cast<QDialog&>(shown).accept();  // as the Open button does
    });
    ASSERT_TRUE(dialog.ShowOpen());
    EXPECT_EQ(QFileInfo(dialog.FileName()).canonicalFilePath(), path + "/a.avi");
    CommonDialog::SetAnswerForTests([](QFileDialog& shown) { shown.reject(); });
    EXPECT_FALSE(dialog.ShowOpen());
    EXPECT_EQ(QFileInfo(dialog.FileName()).canonicalFilePath(), path + "/a.avi");
    EXPECT_EQ(dialog.FileTitle(), "a.avi");
    CommonDialog::SetAnswerForTests({});
}
