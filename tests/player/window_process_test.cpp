// The built program, started in a folder with a playlist and ended by a signal, as a logout or
// a kill would end it: it closes through the same close request and unload as the Close button,
// rewrites both playlist files and exits normally.
#include <QProcess>
#include <csignal>

#include "form_fixture.h"

// True once the process catches `signal` (its handler is installed after the window has read
// the playlist): the SigCgt mask of /proc/<pid>/status.
static bool Catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = status.readAll();
    const qsizetype at = text.indexOf("SigCgt:");
    return at >= 0 && ((text.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1) != 0;
}

TEST(WindowProcess, ASignalRewritesBothPlaylistFilesAndTheProgramExitsNormally)
{
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QTemporaryDir cwd;
        // Last lines without their line end: only a rewrite adds them.
        WriteBytes(cwd.filePath("pl1.txt"), "one.mp3\r\ntwo, \"b\".avi");
        WriteBytes(cwd.filePath("pl2.txt"), "/m/one.mp3\r\n/m/two, \"b\".avi");
        QProcess player;
        player.setWorkingDirectory(cwd.path());
        player.start(QStringLiteral(ZELKO_PLAYER_BIN));
        ASSERT_TRUE(player.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Catches(player.processId(), signal); }, 30000));
        ASSERT_EQ(::kill(static_cast<pid_t>(player.processId()), signal), 0);
        ASSERT_TRUE(player.waitForFinished(30000));
        EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player.exitCode(), 0);
        EXPECT_EQ(ReadBytes(cwd.filePath("pl1.txt")), "one.mp3\r\ntwo, \"b\".avi\r\n");
        EXPECT_EQ(ReadBytes(cwd.filePath("pl2.txt")), "/m/one.mp3\r\n/m/two, \"b\".avi\r\n");
    }
}
