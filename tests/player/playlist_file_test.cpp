// The playlist file format: lines in as bytes, CR LF out, whole entries kept byte for byte,
// shown as UTF-8 or Windows-1252, atomic replacement.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "player/playlist_file.h"

namespace zelko {

namespace {

const QByteArray kMark = "\xEF\xBB\xBF";  // the UTF-8 byte order mark

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
    for (const QString& path : {pl2 + "/pl1.txt", dir.filePath("nowhere/pl1.txt"), QString()})
        EXPECT_NE(WritePlaylistFile(path, {{"a"}, false}), QString()) << path.toStdString();
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
    for (const auto& c : cases)
        EXPECT_EQ(DecodePlaylistLine(c.line), c.shown) << c.name;
}

}  // namespace

}  // namespace zelko
