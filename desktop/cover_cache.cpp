// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/cover_cache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <sys/time.h>

namespace zelko {

namespace {

QString Extension(const QString& type)
{
    if (type == QLatin1String("image/jpeg")) {
        return QStringLiteral("jpg");
    }
    const QString subtype = type.section(QLatin1Char('/'), 1);
    // The file name takes letters and digits only, whatever the tags wrote there.
    const bool plain = !subtype.isEmpty() && subtype.size() <= 8 &&
                       std::all_of(subtype.cbegin(), subtype.cend(), [](QChar c) { return c.isLetterOrNumber(); });
    return plain ? subtype.toLower() : QStringLiteral("img");
}

// Oldest first out, until what is left fits.
void Trim(const QDir& folder)
{
    QFileInfoList files = folder.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Time);  // newest first
    qint64 bytes = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        bytes += files[i].size();
        if (i >= kMaxCoverFiles || bytes > kMaxCoverCacheBytes) {
            QFile::remove(files[i].filePath());
        }
    }
}

}  // namespace

QString StoreCover(const QByteArray& picture, const QString& type)
{
    if (picture.isEmpty() || picture.size() > kMaxCoverCacheBytes) {
        return {};
    }
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                      QStringLiteral("/zelko-player"));
    if (!folder.mkpath(QStringLiteral("."))) {
        return {};
    }
    const QString name = QString::fromLatin1(QCryptographicHash::hash(picture, QCryptographicHash::Sha256).toHex()) +
                         QLatin1Char('.') + Extension(type);
    const QString path = folder.filePath(name);
    if (QFileInfo::exists(path)) {
        // Used again: it is among the newest now, so the trimming keeps it.
        ::utimes(QFile::encodeName(path).constData(), nullptr);
        return path;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(picture) != picture.size() || !file.commit()) {
        return {};
    }
    Trim(folder);
    return QFileInfo::exists(path) ? path : QString();
}

}  // namespace zelko
