// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace zelko {

class Player;
class FolderClaim;

// A later start in a folder whose player runs hands its files to that player over a local
// socket and ends; the running player raises its window, appends the files and plays the first.
//
// The message is "zelko-player 1", then each file's absolute path as the file system's bytes
// (whatever their encoding), each field ended by a NUL byte, then one more NUL (paths are never
// empty and never hold a NUL). The player answers one byte: 'A' when it took the files, 'C' when
// its window is closing and took nothing.

enum class HandOverResult {
    Delivered,   // the running player took the files
    FolderFree,  // that player has ended: claim now holds the folder for this start
    NoAnswer,    // a player holds the folder but did not take the files in time
};

// Runs without an application object and without a display.
HandOverResult HandOverFiles(const QString& folder, const QList<QByteArray>& paths, std::unique_ptr<FolderClaim>& claim,
                             std::chrono::milliseconds timeout);

// The running player's side, on the UI thread: listens at the folder's socket while the window
// is open and stops at its close request, so files that come later go to the next player.
class HandOverServer : public QObject {
    Q_OBJECT
public:
    HandOverServer(Player& player, const QString& socketPath);

    bool isListening() const;
    QString errorString() const;

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    Player& m_player;
    QLocalServer* m_server;
    bool m_closing = false;
};

}  // namespace zelko
