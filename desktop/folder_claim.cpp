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

FolderClaim::Outcome FolderClaim::TryTake(const QString& folder, std::unique_ptr<FolderClaim>& claim, QString* reason)
{
    const QByteArray lockPath = QFile::encodeName(BasePath(folder) + QStringLiteral(".lock"));
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (reason)
            *reason = Failure(lockPath, errno);
        return Outcome::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Outcome::HeldByAnother;
        if (reason)
            *reason = Failure(lockPath, error);
        return Outcome::Unavailable;
    }
    claim.reset(new FolderClaim(fd));
    return Outcome::Taken;
}

FolderClaim::~FolderClaim()
{
    ::close(m_fd);  // lets go of the lock; the file stays for the next start
}

QString FolderClaim::SocketPath(const QString& folder)
{
    return BasePath(folder) + QStringLiteral(".socket");
}

}  // namespace zelko
