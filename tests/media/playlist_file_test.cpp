// The playlist file format: lines in, CR LF out, whole entries kept, atomic replacement.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "player/playlist_file.h"

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST(PlaylistFile, EntriesRoundTripWholeAndAFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString pl1 = dir.filePath("pl1.txt"), pl2 = dir.filePath("pl2.txt"), mark(QChar(0xFEFF));
    const QStringList entries = {mark + "first", "Trailer, the \"final\" cut.mpg", "  leading blanks.mp3",
                                 "trailing blanks.wav  ", "", "/home/ann/Ünïcödé 名前.mid", ",", "\"", mark, ""};
    ASSERT_TRUE(WritePlaylistFile(pl2, entries));
    EXPECT_EQ(ReadPlaylistFile(pl2), entries);
    ASSERT_TRUE(WritePlaylistFile(pl1, {"a b", "", "c,d", QString::fromUtf8("é"), mark + "x"}));
    EXPECT_EQ(bytesOf(pl1), QByteArray("a b\r\n\r\nc,d\r\n\xC3\xA9\r\n\xEF\xBB\xBFx\r\n"));
    ASSERT_TRUE(WritePlaylistFile(pl1, {}));
    EXPECT_EQ(bytesOf(pl1), QByteArray());  // 0 bytes
    EXPECT_TRUE(ReadPlaylistFile(dir.filePath("missing.txt")).isEmpty());

    // The tests run as root, where permission bits stop nothing: a parent that is a regular file
    // and a folder that does not exist fail for everyone. An entry with a line break would come
    // back as two, so it is refused too.
    EXPECT_FALSE(WritePlaylistFile(pl2 + "/pl1.txt", {"a"}));
    EXPECT_FALSE(WritePlaylistFile(dir.filePath("nowhere/pl1.txt"), {"a"}));
    EXPECT_FALSE(WritePlaylistFile(QString(), {"a"}));
    EXPECT_FALSE(WritePlaylistFile(pl2, {"fine", "two\nlines"}));
    EXPECT_FALSE(WritePlaylistFile(pl2, {"two\rlines"}));
    EXPECT_EQ(ReadPlaylistFile(pl2), entries);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"pl1.txt", "pl2.txt"}));  // no temporaries
}

TEST(PlaylistBytes, EachLineEndEndsAnEntry)
{
    struct { const char* bytes; QStringList entries; } cases[] = {
        {"", {}}, {"a\r\nb\r\n", {"a", "b"}}, {"a\nb\n", {"a", "b"}}, {"a\rb\r", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},  // the last line needs no line end
        {"a\n\rb", {"a", "", "b"}}, {"a\r\r\nb", {"a", "", "b"}}, {"\r\n\r\n", {"", ""}}, {"\n", {""}},
        {" , \"q\" \r\n", {" , \"q\" "}},
        {"\xEF\xBB\xBF" "first\r\n", {"first"}},  // a byte-order mark is not part of the entry
        {"a\xEF\xBB\xBF\r\n", {QString::fromUtf8("a\xEF\xBB\xBF")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadPlaylistBytes(QByteArray(c.bytes)), c.entries) << '"' << c.bytes << '"';
}

}  // namespace
