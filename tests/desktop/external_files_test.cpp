// SPDX-License-Identifier: GPL-3.0-or-later
// Which arguments become playlist entries, in which order, and the one line naming each other.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "desktop/external_files.h"

namespace zelko {

namespace {

struct Case {
    const char* name;
    QStringList arguments;  // "@" stands for the test folder
    QStringList added;      // relative to the test folder
    QStringList refusals;   // how each refusal line begins, after "not added: "
};
void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

// Kinds in other letter cases, one the dialog offers only in a later filter field (*.mpge),
// today's kinds beside the dialog's, and near misses.
const char* const kFiles[] = {"a.mp3",           "B.WAV",        "blank name.avi", "notes.txt",   "box/b.mid",
                              "box/A.rmi",       "box/c.txt",    "box/sub/d.mp3",  "kinds/2.MP2", "kinds/4.midi",
                              "kinds/c.Vob",     "kinds/d.mpge", "kinds/e.aif",    "kinds/f.ogg", "kinds/g.mp4",
                              "kinds/h.mp3.txt", "empty/.keep"};

const Case kCases[] = {
    {"RelativeAndAbsolutePaths", {"a.mp3", "@/B.WAV", "./box/../a.mp3"}, {"a.mp3", "B.WAV", "a.mp3"}, {}},
    {"FileUri", {"file://@/blank%20name.avi"}, {"blank name.avi"}, {}},
    {"MissingFile", {"gone.mp3"}, {}, {"gone.mp3: no such file or folder"}},
    {"EmptyArgument", {""}, {}, {": no such file or folder"}},
    {"NotAnOfferedKind", {"notes.txt"}, {}, {"notes.txt: not one of the offered kinds (*.mp3 *.mpga *.mp2 "}},
    {"NotARegularFile", {"pipe.mp3"}, {}, {"pipe.mp3: not a regular file"}},
    {"NonLocalUri", {"https://example.com/a.mp3"}, {}, {"https://example.com/a.mp3: not a local file"}},
    {"FolderGivesItsOfferedKindsByNameWithoutSubfolders", {"box"}, {"box/A.rmi", "box/b.mid"}, {}},
    {"OfferedKindsInAnyCase",
     {"kinds"},
     {"kinds/2.MP2", "kinds/4.midi", "kinds/c.Vob", "kinds/d.mpge", "kinds/e.aif", "kinds/f.ogg", "kinds/g.mp4"},
     {}},
    {"FolderWithoutMedia", {"empty"}, {}, {"empty: no files of the offered kinds in this folder"}},
    {"RefusalsDoNotStopTheRest",
     {"notes.txt", "a.mp3", "gone.mp3", "B.WAV"},
     {"a.mp3", "B.WAV"},
     {"notes.txt: not one of", "gone.mp3: no such file"}},
};

class ExternalFilesTest : public ::testing::TestWithParam<Case> {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        for (const char* name : kFiles) {
            QDir().mkpath(QFileInfo(folder->filePath(name)).path());
            QFile(folder->filePath(name)).open(QIODevice::WriteOnly);
        }
        ASSERT_EQ(::mkfifo(QFile::encodeName(folder->filePath("pipe.mp3")).constData(), 0600), 0);
    }
    static void TearDownTestSuite() { delete folder; }
    static inline QTemporaryDir* folder = nullptr;
};

TEST_P(ExternalFilesTest, AddsFilesOfTheOfferedKindsAndNamesTheRest)
{
    const Case& c = GetParam();
    QStringList arguments;
    QList<QByteArray> added;
    for (const QString& argument : c.arguments) {
        arguments << QString(argument).replace('@', folder->path());
    }
    for (const QString& path : c.added) {
        added << QFile::encodeName(folder->filePath(path));
    }

    const ExternalFiles files = CollectExternalFiles(arguments, folder->path());
    EXPECT_EQ(files.paths, added);
    ASSERT_EQ(files.refusals.size(), c.refusals.size()) << files.refusals.join('\n').toStdString();
    for (qsizetype i = 0; i < c.refusals.size(); ++i) {
        EXPECT_TRUE(files.refusals[i].startsWith("not added: " + c.refusals[i])) << files.refusals[i].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Arguments, ExternalFilesTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Names are bytes: one that is not UTF-8 is added as it is, given by name, in a folder or as a
// URI's percent-encoding; one with a line break, which a playlist line cannot hold, is refused
// with the reason, and the refusal stays one line.
TEST(ExternalFileNames, AnyBytesAreAddedAndALineBreakIsRefused)
{
    QTemporaryDir dir;
    const QByteArray base = QFile::encodeName(dir.path());
    ASSERT_EQ(::mkdir((base + "/box").constData(), 0700), 0);
    for (const char* name : {"/caf\xE9.mp3", "/box/\377b.wav", "/box/a\nb.mp3", "/two\r\nlines.mp3"}) {
        ::close(::open((base + name).constData(), O_CREAT | O_WRONLY, 0600));
    }
    const ExternalFiles files = CollectExternalFiles(
        QList<QByteArray>{"caf\xE9.mp3", base + "/box", "file://" + base + "/caf%E9.mp3", "two\r\nlines.mp3"},
        dir.path());
    EXPECT_EQ(files.paths, (QList<QByteArray>{base + "/caf\xE9.mp3", base + "/box/\377b.wav", base + "/caf\xE9.mp3"}));
    EXPECT_EQ(files.refusals, (QStringList{"not added: " + dir.path() + "/box/a\\nb.mp3: contains a line break",
                                           "not added: two\\r\\nlines.mp3: contains a line break"}));
}

}  // namespace

}  // namespace zelko
