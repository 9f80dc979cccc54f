// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/playlist_writer.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "player/playlist_file.h"

namespace zelko {

namespace {

const QString kKept = QStringLiteral("; the file is left as it was");

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why a file operation failed, never empty.
QString Reason(const QFileDevice& file)
{
    const QString text = file.errorString();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

}  // namespace

PlaylistWriter::PlaylistWriter(QString path) : m_path(std::move(path)) {}

PlaylistWriter::~PlaylistWriter()
{
    if (m_save) {
        m_save->cancelWriting();
    }
    if (m_inPlace >= 0) {
        ::close(m_inPlace);
    }
}

QString PlaylistWriter::Prepare(const PlaylistLines& file)
{
    for (const QByteArray& line : file.lines) {
        if (!IsPlaylistEntryStorable(line)) {
            return QStringLiteral("an entry holds a line break") + kKept;
        }
    }
    const QByteArray name = QFile::encodeName(m_path);
    struct stat info = {};
    const bool exists = !m_path.isEmpty() && ::stat(name.constData(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        m_leftAlone = true;
        return QStringLiteral("not a regular file") + kKept;
    }
    m_bytes = PlaylistBytes(file);

    // Unbuffered, so that every write reaches the file system here and its error is seen here:
    // QSaveFile's own buffer would meet a full disk only inside commit(), which then renames the
    // short temporary over the good file all the same.
    m_save = std::make_unique<QSaveFile>(m_path);
    if (!m_save->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QString why = Reason(*m_save);
        m_save.reset();
        if (exists && ::access(name.constData(), W_OK) == 0) {
            return PrepareInPlace();
        }
        return why + kKept;
    }
    QString why;
    if (m_save->write(m_bytes) != m_bytes.size()) {
        why = Reason(*m_save);
    } else if (!m_save->flush()) {
        why = Reason(*m_save);
    } else if (::fdatasync(m_save->handle()) != 0 && errno != EINVAL) {  // EINVAL: no sync on this file system
        why = ErrnoText(errno);
    }
    if (why.isEmpty()) {
        return {};
    }
    m_save->cancelWriting();
    m_save.reset();
    return why + kKept;
}

QString PlaylistWriter::PrepareInPlace()
{
    const QByteArray name = QFile::encodeName(m_path);
    m_inPlace = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
    struct stat info = {};
    if (m_inPlace < 0 || ::fstat(m_inPlace, &info) != 0) {
        return ErrnoText(errno) + kKept;
    }
    if (!S_ISREG(info.st_mode)) {
        m_leftAlone = true;
        return QStringLiteral("not a regular file") + kKept;
    }
    // Room for every new byte is taken before the first one is written, so the rewrite cannot
    // stop halfway on a full disk. Where the file system emulates the reservation it may have
    // grown the file with zeros before failing: the file is put back to its size.
    if (!m_bytes.isEmpty()) {
        if (const int error = ::posix_fallocate(m_inPlace, 0, m_bytes.size()); error != 0) {
            if (::ftruncate(m_inPlace, info.st_size) != 0) {}
            ::close(m_inPlace);
            m_inPlace = -1;
            return ErrnoText(error) + kKept;
        }
    }
    return {};
}

QString PlaylistWriter::Commit()
{
    if (m_inPlace >= 0) {
        return CommitInPlace();
    }
    if (!m_save) {
        return QStringLiteral("not prepared") + kKept;
    }
    const bool done = m_save->commit();
    const QString why = done ? QString() : Reason(*m_save) + kKept;
    m_save.reset();
    return why;
}

QString PlaylistWriter::CommitInPlace()
{
    qsizetype done = 0;
    while (done < m_bytes.size()) {
        const ssize_t n = ::pwrite(m_inPlace, m_bytes.constData() + done, m_bytes.size() - done, done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += n;
    }
    int error = 0;
    if (done < m_bytes.size()) {
        error = errno != 0 ? errno : EIO;
    } else if (::ftruncate(m_inPlace, m_bytes.size()) != 0 || (::fdatasync(m_inPlace) != 0 && errno != EINVAL)) {
        error = errno;
    }
    if (::close(m_inPlace) != 0 && error == 0) {
        error = errno;
    }
    m_inPlace = -1;
    return error == 0 ? QString()
                      : ErrnoText(error) + QStringLiteral("; the rewrite in place stopped at byte %1").arg(done);
}

QString WritePlaylistFile(const QString& path, const PlaylistLines& file)
{
    PlaylistWriter writer(path);
    const QString why = writer.Prepare(file);
    return why.isEmpty() ? writer.Commit() : why;
}

}  // namespace zelko
