// SPDX-License-Identifier: GPL-3.0-or-later
// A later start hands its files to the player that holds the folder over the real local socket;
// it runs on a thread of its own, as it would in its own process, while the window's event loop
// serves it.
#include <QLocalSocket>
#include <future>

#include "desktop/folder_claim.h"
#include "desktop/hand_over.h"
#include "tests/player/form_fixture.h"

namespace zelko {

using namespace std::chrono_literals;

class HandOverTest : public FormTest<FakeDevice> {
protected:
    HandOverTest() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path())); }
    ~HandOverTest() override { qunsetenv("XDG_RUNTIME_DIR"); }
    void Start() override
    {
        FormTest<FakeDevice>::Start();
        ASSERT_EQ(FolderClaim::TryTake(cwd.path(), claim), FolderClaim::Outcome::Taken);
        auto* server = new HandOverServer(player(), FolderClaim::SocketPath(cwd.path()));
        ASSERT_TRUE(server->isListening()) << server->errorString().toStdString();
    }
    HandOverResult LaterStart(const QStringList& names, std::chrono::milliseconds timeout = 20s)
    {
        QList<QByteArray> paths;
        for (const QString& name : names) {
            paths << QFile::encodeName(name);
        }
        std::unique_ptr<FolderClaim> laterClaim;
        auto result =
            std::async(std::launch::async, [&] { return HandOverFiles(cwd.path(), paths, laterClaim, timeout); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.wait_for(0s) == std::future_status::ready; }, 30000));
        return result.get();
    }
    QString Clip(const QString& name) { return channel.addAudio(cwd.filePath(name)); }

    QTemporaryDir runtime;
    std::unique_ptr<FolderClaim> claim;
};

// A few files handed over, and none, e2e_desktop_files shows with two real players.
TEST_F(HandOverTest, MoreFilesThanTheSocketBuffersHoldAllArrive)
{
    AddEntry("z.wav", "/m/z.wav");
    const QString a = Clip("a.mp3");
    const QStringList many(20000, a);
    EXPECT_EQ(LaterStart(many), HandOverResult::Delivered);
    EXPECT_EQ(Playlist()->count(), 1 + many.size());
    EXPECT_TRUE(channel.playingAnyCase(a));
}

TEST_F(HandOverTest, AClosingPlayerTakesNothingAndTheLaterStartGetsTheFolderOnceItHasEnded)
{
    form->close();
    EXPECT_EQ(LaterStart({Clip("a.mp3")}, 300ms), HandOverResult::NoAnswer);  // the folder is still held
    EXPECT_EQ(Playlist()->count(), 0);
    claim.reset();  // the closed player's process ends
    EXPECT_EQ(LaterStart({Clip("a.mp3")}), HandOverResult::FolderFree);
}

// A socket left behind by a player killed outright, e2e_desktop_files shows.
TEST_F(HandOverTest, ForeignMessagesAreCutOff)
{
    QLocalSocket foreign;
    foreign.connectToServer(FolderClaim::SocketPath(cwd.path()));
    ASSERT_TRUE(foreign.waitForConnected(5000));
    foreign.write("GET / HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return foreign.state() == QLocalSocket::UnconnectedState; }, 5000));
    EXPECT_EQ(LaterStart({Clip("a.mp3")}), HandOverResult::Delivered);
}

}  // namespace zelko
