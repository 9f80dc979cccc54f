// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/hand_over.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <thread>

#include "desktop/external_files.h"
#include "desktop/folder_claim.h"
#include "player/player.h"

namespace zelko {

namespace {

const QByteArray kMagic("zelko-player 1");
const QByteArray kEnd("\0\0", 2);
constexpr char kTaken = 'A';
constexpr char kClosing = 'C';
// A message longer than this is not one of ours; its sender is cut off.
constexpr qsizetype kMaxMessageBytes = 16 * 1024 * 1024;
// How long a start waits between two tries while the running player starts up or ends.
constexpr std::chrono::milliseconds kRetryInterval(50);

QByteArray Message(const QList<QByteArray>& paths)
{
    QByteArray message = kMagic + '\0';
    for (const QByteArray& path : paths) {
        message += path + '\0';
    }
    return message + '\0';
}

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// What one attempt came to.
enum class Attempt { NotReached, Taken, Closing, Silent };

// Connects, sends the whole message and reads the answer. Once the message is out it is not
// sent again unless the player said it took nothing: a slow player would otherwise get it twice.
Attempt SendOnce(const QString& socketPath, const QByteArray& message, Clock::time_point deadline)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(MsLeft(deadline))) {
        return Attempt::NotReached;
    }
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(MsLeft(deadline))) {
            return Attempt::NotReached;
        }
    }
    if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(MsLeft(deadline))) {
        return socket.state() == QLocalSocket::ConnectedState ? Attempt::Silent : Attempt::NotReached;
    }
    char answer = 0;
    socket.getChar(&answer);
    return answer == kTaken ? Attempt::Taken : answer == kClosing ? Attempt::Closing : Attempt::NotReached;
}

}  // namespace

HandOverResult HandOverFiles(const QString& folder, const QList<QByteArray>& paths, std::unique_ptr<FolderClaim>& claim,
                             std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    const QByteArray message = Message(paths);
    const QString socketPath = FolderClaim::SocketPath(folder);
    for (;;) {
        // The holder may be starting (not listening yet) or ending (no longer listening); once it
        // has ended, its folder is ours.
        if (FolderClaim::TryTake(folder, claim) == FolderClaim::Outcome::Taken) {
            return HandOverResult::FolderFree;
        }
        if (MsLeft(deadline) == 0) {
            return HandOverResult::NoAnswer;
        }
        switch (SendOnce(socketPath, message, deadline)) {
        case Attempt::Taken: return HandOverResult::Delivered;
        case Attempt::Silent: return HandOverResult::NoAnswer;
        case Attempt::NotReached:
        case Attempt::Closing: break;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::milliseconds>(kRetryInterval, std::chrono::milliseconds(MsLeft(deadline))));
    }
}

HandOverServer::HandOverServer(Player& player, const QString& socketPath)
    : QObject(&player), m_player(player), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Only the folder's holder gets here, so a socket file already there was left by a player
    // that did not end normally.
    QLocalServer::removeServer(socketPath);
    if (m_server->listen(socketPath)) {
        connect(m_server, &QLocalServer::newConnection, this, &HandOverServer::onNewConnection);
    }
    // The close request is about to write the playlist: later starts wait for this player to
    // end and then take the folder themselves.
    connect(&player, &Player::Closing, this, [this] {
        m_closing = true;
        m_server->close();
    });
}

bool HandOverServer::isListening() const
{
    return m_server->isListening();
}

QString HandOverServer::errorString() const
{
    return m_server->errorString();
}

void HandOverServer::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        if (socket->bytesAvailable() > 0) {
            onReadyRead(socket);
        }
    }
}

void HandOverServer::onReadyRead(QLocalSocket* socket)
{
    // The message may come in pieces; the bytes wait in the socket until it is whole.
    const QByteArray received = socket->peek(kMaxMessageBytes + 1);
    const qsizetype end = received.indexOf(kEnd);
    if (end < 0) {
        if (received.size() > kMaxMessageBytes || !kMagic.startsWith(received.left(kMagic.size()))) {
            socket->abort();
        }
        return;
    }
    socket->read(end + kEnd.size());
    const QList<QByteArray> fields = received.left(end).split('\0');
    if (fields.first() != kMagic) {
        socket->abort();
        return;
    }
    if (m_closing) {
        socket->putChar(kClosing);
        socket->disconnectFromServer();
        return;
    }
    const QList<QByteArray> paths = fields.mid(1);
    m_player.Raise();
    AppendAndPlay(m_player, paths);
    socket->putChar(kTaken);
    socket->disconnectFromServer();
}

}  // namespace zelko
