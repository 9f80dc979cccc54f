// The playlist file format: lines in, CR LF out, whole entries kept, atomic replacement.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "player/playlist_file.h"

namespace {

class PlaylistFile : public testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    static void writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray readBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    QTemporaryDir m_dir;
};

TEST_F(PlaylistFile, RoundTripKeepsEveryEntryWhole)
{
    const QStringList entries = {
        "Trailer, the \"final\" cut.mpg", "  leading blanks.mp3", "trailing blanks.wav  ", "",
        "/home/ann/Music/Ünïcödé 名前.mid", "'single'", ",", "\"", "",
    };
    ASSERT_TRUE(WritePlaylistFile(path("pl2.txt"), entries));
    EXPECT_EQ(ReadPlaylistFile(path("pl2.txt")), entries);
}

TEST_F(PlaylistFile, EntriesBeginningWithAByteOrderMarkRoundTrip)
{
    const QString mark(QChar(0xFEFF));
    const QStringList entries = {mark + "first", mark + "second", mark};
    ASSERT_TRUE(WritePlaylistFile(path("pl1.txt"), entries));
    EXPECT_EQ(ReadPlaylistFile(path("pl1.txt")), entries);
    ASSERT_TRUE(WritePlaylistFile(path("pl1.txt"), {"plain", mark + "x"}));
    EXPECT_EQ(readBytes(path("pl1.txt")), QByteArray("plain\r\n\xEF\xBB\xBFx\r\n"));
}

TEST_F(PlaylistFile, WritesEachEntryFollowedByCrLf)
{
    ASSERT_TRUE(WritePlaylistFile(path("pl1.txt"), {"a b", "", "c,d"}));
    EXPECT_EQ(readBytes(path("pl1.txt")), QByteArray("a b\r\n\r\nc,d\r\n"));
    ASSERT_TRUE(WritePlaylistFile(path("pl1.txt"), {QString::fromUtf8("é")}));
    EXPECT_EQ(readBytes(path("pl1.txt")), QByteArray("\xC3\xA9\r\n"));
}

TEST_F(PlaylistFile, EmptyListWritesAZeroByteFile)
{
    writeBytes(path("pl1.txt"), "old\r\n");
    ASSERT_TRUE(WritePlaylistFile(path("pl1.txt"), {}));
    EXPECT_EQ(QFileInfo(path("pl1.txt")).size(), 0);
    EXPECT_TRUE(ReadPlaylistFile(path("pl1.txt")).isEmpty());
}

TEST(PlaylistBytes, LineEnds)
{
    struct { const char* bytes; QStringList entries; } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},          // the last line needs no line end
        {"a\n\rb", {"a", "", "b"}},      // LF then CR is two line ends
        {"a\r\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"\n", {""}},
        {"x", {"x"}},
        {" , \"q\" \r\n", {" , \"q\" "}},
        {"\xEF\xBB\xBF" "first\r\n", {"first"}},  // a byte-order mark is not part of the entry
        {"a\xEF\xBB\xBF\r\n", {QString::fromUtf8("a\xEF\xBB\xBF")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadPlaylistBytes(QByteArray(c.bytes)), c.entries) << '"' << c.bytes << '"';
}

TEST_F(PlaylistFile, MissingOrUnreadableFileGivesNoEntries)
{
    EXPECT_TRUE(ReadPlaylistFile(path("missing.txt")).isEmpty());
    EXPECT_TRUE(ReadPlaylistFile(m_dir.path()).isEmpty());  // a folder, not a file
    writeBytes(path("empty.txt"), "");
    EXPECT_TRUE(ReadPlaylistFile(path("empty.txt")).isEmpty());
}

TEST_F(PlaylistFile, FailedWriteLeavesTheOldFileAndReportsIt)
{
    // The tests run as root, where permission bits stop nothing: a parent that is a regular file
    // and a folder that does not exist fail for everyone.
    writeBytes(path("notadir"), "x");
    EXPECT_FALSE(WritePlaylistFile(path("notadir/pl1.txt"), {"a"}));
    EXPECT_FALSE(WritePlaylistFile(path("nowhere/pl1.txt"), {"a"}));
    EXPECT_FALSE(WritePlaylistFile(QString(), {"a"}));
    EXPECT_EQ(readBytes(path("notadir")), QByteArray("x"));
}

TEST_F(PlaylistFile, EntryWithALineBreakIsRefusedAndTheOldFileKept)
{
    writeBytes(path("pl2.txt"), "old one\r\nold two\r\n");
    EXPECT_FALSE(IsPlaylistEntryStorable("two\nlines"));
    EXPECT_FALSE(IsPlaylistEntryStorable("two\rlines"));
    EXPECT_TRUE(IsPlaylistEntryStorable("one line, \"quoted\""));
    EXPECT_FALSE(WritePlaylistFile(path("pl2.txt"), {"fine", "two\nlines"}));
    EXPECT_EQ(readBytes(path("pl2.txt")), QByteArray("old one\r\nold two\r\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"pl2.txt"});  // no temporary left
}

TEST_F(PlaylistFile, ReplacingKeepsNoTemporaryFiles)
{
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(WritePlaylistFile(path("pl1.txt"), {QString::number(i)}));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"pl1.txt"});
    EXPECT_EQ(ReadPlaylistFile(path("pl1.txt")), QStringList{"2"});
}

TEST_F(PlaylistFile, LargePlaylistRoundTrips)
{
    QStringList entries;
    for (int i = 0; i < 32767; ++i)
        entries << QStringLiteral("/media/clips/clip number %1.mpg").arg(i);
    ASSERT_TRUE(WritePlaylistFile(path("pl2.txt"), entries));
    EXPECT_EQ(ReadPlaylistFile(path("pl2.txt")), entries);
}

}  // namespace
