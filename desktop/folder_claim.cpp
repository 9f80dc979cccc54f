// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/folder_claim.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zelko {

namespace {

QString Failure(const QByteArray& path, int error)
{
    return QStringLiteral("%1: %2").arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(error)));
}

// The runtime folder (XDG_RUNTIME_DIR, private to the user) plus a name made from the folder's
// canonical path, so two names of one folder (a link, a trailing slash) meet on one lock; hashed,
// so any path fits the 107 bytes a socket path may have.
QString BasePath(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QByteArray key = QFile::encodeName(canonical.isEmpty() ? QDir::cleanPath(folder) : canonical);
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
    // Asked once: without XDG_RUNTIME_DIR Qt makes a private folder of its own and says so on
    // each call.
    static const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime + QStringLiteral("/zelko-player-") + QString::fromLatin1(hash);
}

}  // namespace

namespace {

enum class Lock { Taken, Held, Failed };

// An exclusive flock() on fd, without waiting; fd is closed unless the lock was taken.
Lock TakeLock(int fd, int& error)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        return Lock::Taken;
    }
    error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? Lock::Held : Lock::Failed;
}

}  // namespace

FolderClaim::Outcome FolderClaim::TryTake(const QString& folder, std::unique_ptr<FolderClaim>& claim, QString* reason)
{
    const QByteArray lockPath = QFile::encodeName(BasePath(folder) + QStringLiteral(".lock"));
    int error = 0;
    int runtimeFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    Lock runtime = runtimeFd >= 0 ? TakeLock(runtimeFd, error) : (error = errno, Lock::Failed);
    if (runtime == Lock::Held) {
        return Outcome::HeldByAnother;
    }
    if (runtime == Lock::Failed) {
        runtimeFd = -1;
        if (reason) {
            *reason = Failure(lockPath, error);
        }
    }
    const QByteArray folderPath = QFile::encodeName(folder);
    const int folderFd = ::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const Lock here = folderFd >= 0 ? TakeLock(folderFd, error) : (error = errno, Lock::Failed);
    if (here == Lock::Held) {
        if (runtimeFd >= 0) {
            ::close(runtimeFd);
        }
        return Outcome::HeldOutOfReach;
    }
    // Either lock alone still keeps out every other player that can take that one.
    if (here == Lock::Taken || runtimeFd >= 0) {
        claim.reset(new FolderClaim(runtimeFd, here == Lock::Taken ? folderFd : -1));
        return Outcome::Taken;
    }
    if (reason) {
        *reason += QStringLiteral("; ") + Failure(folderPath, error);
    }
    return Outcome::Unavailable;
}

FolderClaim::~FolderClaim()
{
    // Lets go of the locks; the lock file stays for the next start.
    for (int fd : {m_runtimeFd, m_folderFd}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

QString FolderClaim::SocketPath(const QString& folder)
{
    return BasePath(folder) + QStringLiteral(".socket");
}

}  // namespace zelko
