// The built program, started in a folder with a playlist and ended by a signal, as a logout or
// a kill would end it: it closes its window through the same close request and unload as the
// Close button, rewrites both playlist files and exits normally.
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

#include "window_support.h"

namespace {

// True once the process catches `signal` (its handler is installed after the window has read
// the playlist): the SigCgt mask of /proc/<pid>/status.
bool Catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:"))
            continue;
        bool ok = false;
        const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
        return ok && (mask & (1ULL << (signal - 1))) != 0;
    }
    return false;
}

bool WaitUntilCatches(qint64 pid, int signal, QDeadlineTimer deadline)
{
    while (!Catches(pid, signal)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

class ProgramEndedBySignal : public ::testing::TestWithParam<int> {};

TEST_P(ProgramEndedBySignal, RewritesBothPlaylistFilesAndExitsNormally)
{
    TempCwd cwd;
    // Last lines without their line end: only a rewrite adds them.
    WriteBytes(cwd.file("pl1.txt"), "one.mp3\r\ntwo, \"b\".avi");
    WriteBytes(cwd.file("pl2.txt"), "/m/one.mp3\r\n/m/two, \"b\".avi");

    QProcess player;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    player.setProcessEnvironment(env);
    player.setWorkingDirectory(cwd.path());
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(QStringLiteral(ZELKO_PLAYER_BIN), {QStringLiteral("--ignored-argument")});
    ASSERT_TRUE(player.waitForStarted(10000));

    ASSERT_TRUE(WaitUntilCatches(player.processId(), GetParam(), QDeadlineTimer(30000)))
        << "the program never installed its handler";
    ASSERT_EQ(::kill(static_cast<pid_t>(player.processId()), GetParam()), 0);
    ASSERT_TRUE(player.waitForFinished(30000));

    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "one.mp3\r\ntwo, \"b\".avi\r\n");
    EXPECT_EQ(ReadBytes(cwd.file("pl2.txt")), "/m/one.mp3\r\n/m/two, \"b\".avi\r\n");
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramEndedBySignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM ? "SIGTERM"
                                                : info.param == SIGINT ? "SIGINT"
                                                                       : "SIGHUP");
                         });

}  // namespace
