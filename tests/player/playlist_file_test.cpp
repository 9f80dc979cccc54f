// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist file format: lines in as bytes, CR LF out, whole entries kept byte for byte,
// shown as UTF-8 or Windows-1252, atomic replacement; files read within bounds, and writes on a
// real full file system that leave the old file whole.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "player/playlist_file.h"
#include "player/playlist_writer.h"

#include <QElapsedTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelko {

namespace {

const QByteArray kMark = "\xEF\xBB\xBF";  // the UTF-8 byte order mark

void WriteBytesTo(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST(PlaylistFile, LinesRoundTripByteForByteAndAFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString pl1 = dir.filePath("pl1.txt"), pl2 = dir.filePath("pl2.txt");
    const PlaylistLines paths{{"/m/caf\xE9 \x93q\x94.wav", "Trailer, the \"final\" cut.mpg", "  lead.mp3 ", "",
                               "/home/ann/\xC3\x9Cn\xC3\xAF \xE5\x90\x8D.mid", "\xC3\xA9 then \xE9",
                               "\x81\x8D\xFF\xC0\xAF", QByteArray("nul\0inside", 10), kMark + "mark inside"},
                              false};
    ASSERT_EQ(WritePlaylistFile(pl2, paths), QString());
    EXPECT_EQ(ReadPlaylistFile(pl2), paths);
    ASSERT_EQ(WritePlaylistFile(pl1, {{"a b", "", "caf\xE9"}, true}), QString());
    EXPECT_EQ(bytesOf(pl1), kMark + "a b\r\n\r\ncaf\xE9\r\n");
    ASSERT_EQ(WritePlaylistFile(pl1, {}), QString());
    EXPECT_EQ(bytesOf(pl1), QByteArray());  // 0 bytes
    EXPECT_TRUE(ReadPlaylistFile(dir.filePath("missing.txt")).lines.isEmpty());

    // The tests run as root, where permission bits stop nothing: a parent that is a regular file
    // and a folder that does not exist fail for everyone. An entry with a line break would come
    // back as two, so it is refused too. Each failure says why and keeps the old file.
    for (const QString& path : {pl2 + "/pl1.txt", dir.filePath("nowhere/pl1.txt"), QString()}) {
        EXPECT_NE(WritePlaylistFile(path, {{"a"}, false}), QString()) << path.toStdString();
    }
    EXPECT_EQ(WritePlaylistFile(pl2, {{"fine", "two\nlines"}, false}).left(27), "an entry holds a line break");
    EXPECT_NE(WritePlaylistFile(pl2, {{"two\rlines"}, false}), QString());
    EXPECT_EQ(ReadPlaylistFile(pl2), paths);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"pl1.txt", "pl2.txt"}));  // no temporaries
}

TEST(PlaylistBytes, EachLineEndEndsAnEntryAndAByteOrderMarkIsKeptApart)
{
    struct {
        const char* name;
        QByteArray bytes;
        PlaylistLines file;
        bool writtenBack;  // PlaylistBytes gives the same bytes again
    } cases[] = {
        {"Empty", "", {}, true},
        {"CrLf", "a\r\nb\r\n", {{"a", "b"}, false}, true},
        {"Lf", "a\nb\n", {{"a", "b"}, false}, false},
        {"Cr", "a\rb\r", {{"a", "b"}, false}, false},
        {"LastLineWithoutEnd", "a\r\nb", {{"a", "b"}, false}, false},
        {"LfCr", "a\n\rb", {{"a", "", "b"}, false}, false},
        {"CrCrLf", "a\r\r\nb", {{"a", "", "b"}, false}, false},
        {"EmptyLines", "\r\n\r\n", {{"", ""}, false}, true},
        {"BlanksCommasQuotes", " , \"q\" \r\n", {{" , \"q\" "}, false}, true},
        {"ByteOrderMark", kMark + "first\r\n", {{"first"}, true}, true},
        {"ByteOrderMarkAlone", kMark, {{}, true}, true},
        {"MarkTwice", kMark + kMark + "x\r\n", {{kMark + "x"}, true}, true},
        {"MarkLaterIsText", "a" + kMark + "\r\n", {{"a" + kMark}, false}, true},
        {"Windows1252AndInvalid", "caf\xE9\r\n\xC3\r\n\xFF\xFE\r\n", {{"caf\xE9", "\xC3", "\xFF\xFE"}, false}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadPlaylistBytes(c.bytes), c.file);
        EXPECT_EQ(PlaylistBytes(c.file) == c.bytes, c.writtenBack);
    }
    // A first entry that begins with the mark's bytes goes out behind a mark, so it comes back.
    EXPECT_EQ(ReadPlaylistBytes(PlaylistBytes({{kMark + "x"}, false})).lines, QList<QByteArray>{kMark + "x"});
}

TEST(DecodePlaylistLine, Utf8ShowsAsUtf8AndAnythingElseAsWindows1252)
{
    const struct {
        const char* name;
        QByteArray line;
        QString shown;
    } cases[] = {
        {"Utf8", "caf\xC3\xA9 \xE5\x90\x8D", QString::fromUtf8("café 名")},
        {"Windows1252Letter", "caf\xE9.mp3", QString::fromUtf8("café.mp3")},
        {"Windows1252Quotes", "\x93q\x94 \x80 \x85", QString::fromUtf8("“q” € …")},
        {"UndefinedBytes", "\x81\x8D\x8F\x90\x9D", QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D")},
        {"Utf8MixedWithOtherBytes", "\xC3\xA9\xE9", QString::fromUtf8("Ã©é")},
        {"CutSequence", "a\xE2\x82", QString::fromUtf8("aâ‚")},
        {"Overlong", "\xC0\xAF", QString::fromUtf8("À¯")},
        {"Surrogate", "\xED\xA0\x80", QString::fromUtf8("í\xC2\xA0€")},
        {"HighLatin1", "\xA0\xFF", QString::fromUtf8("\xC2\xA0ÿ")},
        {"MarkBeginningALine", "\xEF\xBB\xBFx", QChar(0xFEFF) + QString("x")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodePlaylistLine(c.line), c.shown) << c.name;
    }
}

TEST(ShownPlaylistLine, ALineLongerThanAScreenIsCutWithAnEllipsisAndShortOnesAreWhole)
{
    const QString ellipsis(QChar(0x2026));
    EXPECT_EQ(ShownPlaylistLine("caf\xE9.mp3"), QString::fromUtf8("café.mp3"));
    EXPECT_EQ(ShownPlaylistLine(QByteArray(1000, 'a')), QString(1000, 'a'));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ShownPlaylistLine(QByteArray(50 * 1024 * 1024, 'a')), QString(1000, 'a') + ellipsis);
    EXPECT_LT(clock.elapsed(), 5000) << "a 50 MB line is shown from its start, not decoded whole";
    QByteArray names;  // 3000 two-byte characters
    for (int i = 0; i < 3000; ++i) {
        names += "\xC3\xA9";
    }
    EXPECT_EQ(ShownPlaylistLine(names), QString(1000, QChar(0xE9)) + ellipsis);
    EXPECT_EQ(ShownPlaylistLine(QByteArray(1500, '\xE9')), QString(1000, QChar(0xE9)) + ellipsis);
}

// Playlist files that are not files, or are too big to be playlists, are not read (and so never
// written over); nothing waits on a FIFO's writer or reads a device without end.
TEST(ReadPlaylistFile, OnlyARegularFileWithinTheBoundsIsRead)
{
    QTemporaryDir dir;
    const QByteArray base = QFile::encodeName(dir.path());
    ASSERT_EQ(::mkfifo((base + "/fifo.txt").constData(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", (base + "/zero.txt").constData()), 0);
    ASSERT_EQ(::mkdir((base + "/folder.txt").constData(), 0700), 0);
    {
        QFile huge(dir.filePath("huge.txt"));  // sparse: no disk is spent on it
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxPlaylistFileBytes + 1));
    }
    QFile lines(dir.filePath("lines.txt"));
    ASSERT_TRUE(lines.open(QIODevice::WriteOnly));
    lines.write(QByteArray(kMaxPlaylistEntries + 1, '\n'));
    lines.close();
    const struct {
        const char* name;
        QString refusal;
    } cases[] = {
        {"fifo.txt", "not a regular file"},         {"zero.txt", "not a regular file"},
        {"folder.txt", "not a regular file"},       {"huge.txt", "larger than 256 MiB"},
        {"lines.txt", "more than 1000000 entries"}, {"missing.txt", ""},
    };
    for (const auto& c : cases) {
        QString refusal = "unset";
        EXPECT_TRUE(ReadPlaylistFile(dir.filePath(c.name), &refusal).lines.isEmpty()) << c.name;
        EXPECT_EQ(refusal, c.refusal) << c.name;
    }
    WriteBytesTo(dir.filePath("fine.txt"), QByteArray(kMaxPlaylistEntries, '\n'));
    QString refusal;
    EXPECT_EQ(ReadPlaylistFile(dir.filePath("fine.txt"), &refusal).lines.size(), kMaxPlaylistEntries);
    EXPECT_EQ(refusal, QString());
}

// A real file system that fills up: a 64 KiB tmpfs mounted for the test (the tests run as root).
// Where nothing may be mounted the cases are skipped, saying why.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = QFile::encodeName(m_dir.path());
        if (::mount("zelko-test", m_path.constData(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
            GTEST_SKIP() << "cannot mount a small tmpfs for the full-disk cases (" << std::strerror(errno)
                         << "); they need root or CAP_SYS_ADMIN";
        }
        m_mounted = true;
    }
    void TearDown() override
    {
        if (m_mounted) {
            ::umount2(m_path.constData(), MNT_DETACH);
        }
    }
    QString File(const char* name) const { return m_dir.filePath(name); }
    // Fills what room is left with one file, to the last byte.
    void Fill() const
    {
        const int fd = ::open((m_path + "/filler").constData(), O_WRONLY | O_CREAT, 0600);
        const QByteArray block(512, 'x');
        while (::write(fd, block.constData(), block.size()) > 0) {}
        while (::write(fd, block.constData(), 1) > 0) {}
        ::close(fd);
    }

    QTemporaryDir m_dir;
    QByteArray m_path;
    bool m_mounted = false;
};

PlaylistLines Entries(int count, const char* stem)
{
    PlaylistLines file;
    for (int i = 0; i < count; ++i) {
        file.lines << QByteArray(stem) + QByteArray::number(i) + ".wav";
    }
    return file;
}

TEST_F(FullDisk, AFailedWriteLeavesTheOldFileByteForByteAndSaysWhy)
{
    ASSERT_EQ(WritePlaylistFile(File("pl1.txt"), Entries(20, "/music/tone")), QString());
    const QByteArray before = bytesOf(File("pl1.txt"));
    Fill();
    // The same 20 entries again, as a close without an edit writes them, and a longer list.
    for (int count : {20, 400}) {
        EXPECT_EQ(WritePlaylistFile(File("pl1.txt"), Entries(count, "/music/tone")),
                  "No space left on device; the file is left as it was");
        EXPECT_EQ(bytesOf(File("pl1.txt")), before);
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), (QStringList{"filler", "pl1.txt"})) << "no temporaries";
}

// The folder takes no new file but the playlist file may be written: it is rewritten in place,
// after the room for the new bytes has been reserved, so a full disk stops it before it starts.
// Root may create files anywhere, so the writer runs as nobody in a child process.
TEST_F(FullDisk, AnInPlaceRewriteReservesItsRoomFirstAndWritesNothingWithoutIt)
{
    const PlaylistLines old = Entries(20, "/music/tone");
    ASSERT_EQ(WritePlaylistFile(File("pl1.txt"), old), QString());
    ASSERT_EQ(::chown(QFile::encodeName(File("pl1.txt")).constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(m_path.constData(), 0555), 0);
    Fill();
    const QByteArray before = bytesOf(File("pl1.txt"));
    const auto writeAsNobody = [this](const PlaylistLines& file) {
        int pipe[2];
        if (::pipe(pipe) != 0) {
            return QString("no pipe");
        }
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipe[0]);
            const bool dropped = ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
                                 ::setresuid(65534, 65534, 65534) == 0;
            const QByteArray said =
                dropped ? WritePlaylistFile(File("pl1.txt"), file).toUtf8() : "could not become nobody";
            ssize_t written = ::write(pipe[1], said.constData(), said.size());
            ::_exit(written == said.size() ? 0 : 1);
        }
        ::close(pipe[1]);
        QByteArray said;
        char buffer[512];
        for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
            said.append(buffer, n);
        }
        ::close(pipe[0]);
        ::waitpid(child, nullptr, 0);
        return QString::fromUtf8(said);
    };
    EXPECT_EQ(writeAsNobody(Entries(400, "/music/tone")), "No space left on device; the file is left as it was");
    EXPECT_EQ(bytesOf(File("pl1.txt")), before);
    // Fewer entries fit in the room the file already has.
    EXPECT_EQ(writeAsNobody(Entries(5, "/m/t")), QString());
    EXPECT_EQ(bytesOf(File("pl1.txt")), PlaylistBytes(Entries(5, "/m/t")));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), (QStringList{"filler", "pl1.txt"}));
}

}  // namespace

}  // namespace zelko
