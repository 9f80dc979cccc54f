#include "player/controls/common_dialog.h"

#include "tests/helpers/qt_print.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kFilter =
    "All media |*.mp3;*.mp2;*.wav;*.midi;*.mid;*.au;*.aiff;*.rmi;*.mpg;*.mpeg;*.avi;*.vob|All audio "
    "|*.mp3;*.mp2;*.wav;*.midi;*.mid|All video |*.mpg;*.mpeg;*.avi;*.vob|mp3 (*.mp3)|*.mp3|wav "
    "(*.wav)|*.wav|au(*.au)|*.au|aiff(*.aiff)|*.aiff|rmi(*.rmi)|*.rmi|avi(*.avi)|*.avi|mpg(*.mpg)|*.mpg|"
    "mpge(*.mpge)|*.mpge|mid(*.mid)|*.mid|midi(*.midi)|*.midi|DVD(*.vob)|*.vob";

struct Choice {
    QString nameFilter;
    QString shown;  // what the dialog's list of types shows
    QStringList patterns;
};

const QList<Choice>& choices() {
    static const QList<Choice> table = {
        {"All media  (*.mp3 *.mp2 *.wav *.midi *.mid *.au *.aiff *.rmi *.mpg *.mpeg *.avi *.vob)",
         "All media",
         {"*.mp3", "*.mp2", "*.wav", "*.midi", "*.mid", "*.au", "*.aiff", "*.rmi", "*.mpg", "*.mpeg", "*.avi", "*.vob"}},
        {"All audio  (*.mp3 *.mp2 *.wav *.midi *.mid)", "All audio", {"*.mp3", "*.mp2", "*.wav", "*.midi", "*.mid"}},
        {"All video  (*.mpg *.mpeg *.avi *.vob)", "All video", {"*.mpg", "*.mpeg", "*.avi", "*.vob"}},
        {"mp3 (*.mp3) (*.mp3)", "mp3 (*.mp3)", {"*.mp3"}},
        {"wav (*.wav) (*.wav)", "wav (*.wav)", {"*.wav"}},
        {"au(*.au) (*.au)", "au(*.au)", {"*.au"}},
        {"aiff(*.aiff) (*.aiff)", "aiff(*.aiff)", {"*.aiff"}},
        {"rmi(*.rmi) (*.rmi)", "rmi(*.rmi)", {"*.rmi"}},
        {"avi(*.avi) (*.avi)", "avi(*.avi)", {"*.avi"}},
        {"mpg(*.mpg) (*.mpg)", "mpg(*.mpg)", {"*.mpg"}},
        {"mpge(*.mpge) (*.mpge)", "mpge(*.mpge)", {"*.mpge"}},
        {"mid(*.mid) (*.mid)", "mid(*.mid)", {"*.mid"}},
        {"midi(*.midi) (*.midi)", "midi(*.midi)", {"*.midi"}},
        {"DVD(*.vob) (*.vob)", "DVD(*.vob)", {"*.vob"}},
    };
    return table;
}

// A folder with one file of every offered type, the misspelt one, and two that no choice takes.
const QStringList kFiles = {"a.mp3", "a.mp2", "a.wav", "a.midi", "a.mid", "a.au",  "a.aiff", "a.rmi",
                            "a.mpg", "a.mpeg", "a.avi", "a.vob", "a.mpge", "a.txt", "a.mp4"};

QSet<QString> matching(const QStringList& patterns) {
    QSet<QString> names;
    for (const QString& file : kFiles)
        for (const QString& pattern : patterns)
            if (file.endsWith(pattern.mid(1))) names.insert(file);
    return names;
}

QSet<QString> shownFiles(QFileSystemModel& model, const QString& folder) {
    QSet<QString> names;
    const QModelIndex parent = model.index(folder);
    for (int row = 0; row < model.rowCount(parent); ++row) names.insert(model.index(row, 0, parent).data().toString());
    return names;
}

class CommonDialogTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        for (const QString& name : kFiles) {
            QFile file(m_folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        m_dialog.SetFilter(kFilter);
    }
    void TearDown() override { CommonDialog::SetAnswerForTests({}); }

    QTemporaryDir m_folder;
    CommonDialog m_dialog;
};

}  // namespace

TEST_F(CommonDialogTest, FilterTextIsHeldExactly) {
    EXPECT_EQ(kFilter.size(), 357);
    EXPECT_EQ(m_dialog.Filter(), kFilter);
}

TEST_F(CommonDialogTest, GivesTheFourteenChoicesInOrderKeepingTheDescriptions) {
    QStringList want;
    for (const Choice& c : choices()) want << c.nameFilter;
    EXPECT_EQ(m_dialog.NameFilters(), want);
}

TEST_F(CommonDialogTest, OddTrailingDescriptionIsDropped) {
    CommonDialog dialog;
    dialog.SetFilter("Text|*.txt|Lonely");
    EXPECT_EQ(dialog.NameFilters(), QStringList{"Text (*.txt)"});
    dialog.SetFilter("");
    EXPECT_TRUE(dialog.NameFilters().isEmpty());
}

// The real dialog of ShowOpen: each choice filters on exactly its own patterns.
TEST_F(CommonDialogTest, EachChoiceShowsExactlyItsPatternsInTheRealDialog) {
    const QString folder = QFileInfo(m_folder.path()).canonicalFilePath();
    bool answered = false;
    CommonDialog::SetAnswerForTests([&](QFileDialog& dialog) {
        answered = true;
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        // The dialog folds runs of blanks; the descriptions are what the list of types shows.
        QStringList simplified;
        for (const QString& f : m_dialog.NameFilters()) simplified << f.simplified();
        EXPECT_EQ(dialog.nameFilters(), simplified);
        EXPECT_EQ(dialog.selectedNameFilter(), choices().first().shown);

        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        dialog.setDirectory(folder);
        for (const Choice& c : choices()) {
            dialog.selectNameFilter(c.nameFilter);
            EXPECT_EQ(dialog.selectedNameFilter(), c.shown);
            EXPECT_EQ(model->nameFilters(), c.patterns) << c.shown.toStdString();
            // The model reads the folder and applies the filter in its own time.
            const QSet<QString> want = matching(c.patterns);
            EXPECT_TRUE(QTest::qWaitFor([&] { return shownFiles(*model, folder) == want; }, 10000))
                << c.shown.toStdString() << ": " << QStringList(shownFiles(*model, folder).values()).join(' ').toStdString();
        }
        dialog.reject();
    });
    EXPECT_FALSE(m_dialog.ShowOpen());
    EXPECT_TRUE(answered);
}

TEST_F(CommonDialogTest, AcceptedDialogGivesThePathAndTheTitle) {
    const QString path = m_folder.filePath("my clip.mp3");
    QFile(path).open(QIODevice::WriteOnly);
    CommonDialog::SetAnswerForTests([&](QFileDialog& dialog) {
        dialog.setDirectory(m_folder.path());
        dialog.selectFile(path);
        static_cast<QDialog&>(dialog).accept();  // as the Open button does
    });
    ASSERT_TRUE(m_dialog.ShowOpen());
    EXPECT_EQ(QFileInfo(m_dialog.FileName()).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
    EXPECT_TRUE(QFileInfo(m_dialog.FileName()).isAbsolute());
    EXPECT_EQ(m_dialog.FileTitle(), "my clip.mp3");
}

TEST_F(CommonDialogTest, CancelledDialogKeepsTheEarlierChoice) {
    CommonDialog::SetAnswerForTests([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(m_dialog.ShowOpen());
    EXPECT_EQ(m_dialog.FileName(), "");
    EXPECT_EQ(m_dialog.FileTitle(), "");

    const QString path = m_folder.filePath("a.avi");
    CommonDialog::SetAnswerForTests([&](QFileDialog& dialog) {
        dialog.selectFile(path);
        static_cast<QDialog&>(dialog).accept();  // as the Open button does
    });
    ASSERT_TRUE(m_dialog.ShowOpen());
    const QString name = m_dialog.FileName();

    CommonDialog::SetAnswerForTests([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(m_dialog.ShowOpen());
    EXPECT_EQ(m_dialog.FileName(), name);
    EXPECT_EQ(m_dialog.FileTitle(), "a.avi");
}
