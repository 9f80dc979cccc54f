// SPDX-License-Identifier: GPL-3.0-or-later
// The built program, started in a folder with a playlist and ended by a signal, as a logout
// would end it, where it may not create files: it rewrites the playlist files in place where it
// may write them, and names those it could not save. (That a signal saves the playlist at all is
// e2e_session_end's to show.)
#include <QProcess>
#include <QRegularExpression>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "form_fixture.h"

namespace zelko {

// True once the process catches `signal` (its handler is installed after the window has read
// the playlist): the SigCgt mask of /proc/<pid>/status.
static bool Catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray text = status.readAll();
    const qsizetype at = text.indexOf("SigCgt:");
    return at >= 0 && ((text.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1) != 0;
}

// The player as a user who may write pl1.txt and pl2.txt (or not) but may not create files in
// their folder. The tests run as root, whom permission bits do not stop, so there the player
// runs as nobody through setpriv; any other user runs it as itself.
class LockedFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (QTemporaryDir* dir : {&m_bin, &m_home, &m_folder}) {
            ASSERT_TRUE(dir->isValid());
        }
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            m_uid = nobody ? nobody->pw_uid : 65534;
            m_gid = nobody ? nobody->pw_gid : 65534;
            m_runAs = {QStringLiteral("--reuid=%1").arg(m_uid), QStringLiteral("--regid=%1").arg(m_gid),
                       "--clear-groups", "--"};
            QProcess probe;
            Start(probe, "true");
            if (!probe.waitForFinished(30000) || probe.exitCode() != 0) {
                GTEST_SKIP() << "root here cannot become an unprivileged user (setpriv: "
                             << probe.readAllStandardError().trimmed().toStdString() << ")";
            }
        } else {
            m_uid = ::geteuid();
            m_gid = ::getegid();
        }
        // The build folder may be out of that user's reach: the player runs from a copy.
        m_player = m_bin.filePath("zelko-player");
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZELKO_PLAYER_BIN), m_player));
        ASSERT_EQ(::chmod(QFile::encodeName(m_bin.path()).constData(), 0755), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(m_player).constData(), 0755), 0);
        ASSERT_EQ(::chown(QFile::encodeName(m_home.path()).constData(), m_uid, m_gid), 0);
    }
    void TearDown() override { ::chmod(QFile::encodeName(m_folder.path()).constData(), 0755); }

    // Starts `program` as the player's user.
    void Start(QProcess& process, const QString& program)
    {
        if (m_runAs.isEmpty()) {
            process.start(program, {});
        } else {
            process.start("setpriv", m_runAs + QStringList{program});
        }
    }

    // Puts a playlist file in the folder, owned by the player's user and writable by it or not.
    void Put(const char* name, const QByteArray& bytes, bool writable)
    {
        const QByteArray path = QFile::encodeName(m_folder.filePath(name));
        WriteBytes(m_folder.filePath(name), bytes);
        ASSERT_EQ(::chown(path.constData(), m_uid, m_gid), 0);
        ASSERT_EQ(::chmod(path.constData(), writable ? 0644 : 0444), 0);
    }

    // Starts the player in the folder (which nobody may now create files in), ends it as a logout
    // would, and gives what it said on standard error.
    QByteArray RunAndClose()
    {
        if (::chmod(QFile::encodeName(m_folder.path()).constData(), 0555) != 0) {
            return "chmod failed";
        }
        QProcess player;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.remove("XDG_RUNTIME_DIR");
        env.remove("DBUS_SESSION_BUS_ADDRESS");  // nor the desktop of whoever runs the tests
        // The leak suppressions of a sanitizer build lie out of the user's reach too; leaks are
        // the other tests' business.
        env.insert("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1");
        env.remove("LSAN_OPTIONS");
        player.setProcessEnvironment(env);
        player.setWorkingDirectory(m_folder.path());
        Start(player, m_player);
        if (!player.waitForStarted(10000) ||
            !QTest::qWaitFor([&] { return Catches(player.processId(), SIGTERM); }, 60000) ||
            ::kill(static_cast<pid_t>(player.processId()), SIGTERM) != 0 || !player.waitForFinished(60000)) {
            return "the player did not start and end: " + player.readAllStandardError();
        }
        if (player.exitStatus() != QProcess::NormalExit || player.exitCode() != 0) {
            return "the player failed: " + player.readAllStandardError();
        }
        return player.readAllStandardError();
    }

    QTemporaryDir m_bin, m_home, m_folder;
    QString m_player;
    QStringList m_runAs;  // setpriv's arguments that make the player's user; empty to stay as is
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

TEST_F(LockedFolder, WritableFilesAreRewrittenInPlaceAndOthersAreKeptAndNamedOnStandardError)
{
    const struct {
        const char* name;
        bool exists, writable;
        QByteArray pl1, pl2;  // afterwards
        bool notSaved;
    } cases[] = {
        // The rewrite adds the last CR LF.
        {"WritableFiles", true, true, "caf\xE9.wav\r\nb.mp3\r\n", "/m/caf\xE9.wav\r\n/m/b.mp3\r\n", false},
        {"ReadOnlyFiles", true, false, "caf\xE9.wav\r\nb.mp3", "/m/caf\xE9.wav\r\n/m/b.mp3", true},
        {"NoFiles", false, false, "<missing>", "<missing>", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::chmod(QFile::encodeName(m_folder.path()).constData(), 0755);
        for (const char* name : {"pl1.txt", "pl2.txt"}) {
            QFile::remove(m_folder.filePath(name));
        }
        if (c.exists) {
            Put("pl1.txt", "caf\xE9.wav\r\nb.mp3", c.writable);
            Put("pl2.txt", "/m/caf\xE9.wav\r\n/m/b.mp3", c.writable);
        }
        const QByteArray said = RunAndClose();
        EXPECT_EQ(ReadBytes(m_folder.filePath("pl1.txt")), c.pl1);
        EXPECT_EQ(ReadBytes(m_folder.filePath("pl2.txt")), c.pl2);
        EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files).size(), c.exists ? 2 : 0) << "no other file";
        for (const QString name : {"pl1.txt", "pl2.txt"}) {
            const QString line = "^zelko-player: " + name + " was not saved: .+; the file is left as it was$";
            const bool named =
                QRegularExpression(line, QRegularExpression::MultilineOption).match(QString::fromUtf8(said)).hasMatch();
            EXPECT_EQ(named, c.notSaved) << said.toStdString();
        }
    }
}

}  // namespace zelko
