#include "player/playlist_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

QStringList ReadPlaylistFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {};
    return ReadPlaylistBytes(bytes);
}

QStringList ReadPlaylistBytes(const QByteArray& bytes)
{
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    // Each line is decoded on its own; a U+FEFF that begins a line is part of the entry (only
    // the file's first three bytes can be a byte-order mark), so it survives a save and a load.
    auto decode = [](QByteArrayView line) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return QString(decoder(line));
    };
    QStringList entries;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        char c = rest[i];
        if (c != '\r' && c != '\n')
            continue;
        entries.append(decode(rest.sliced(lineStart, i - lineStart)));
        if (c == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < rest.size())
        entries.append(decode(rest.sliced(lineStart)));
    return entries;
}

QByteArray PlaylistBytes(const QStringList& entries)
{
    QByteArray bytes;
    // The reader takes the file's first three bytes for a byte-order mark when they spell one;
    // a first entry that itself begins with U+FEFF goes out behind a mark so it comes back whole.
    if (!entries.isEmpty() && entries.front().startsWith(QChar(0xFEFF)))
        bytes += "\xEF\xBB\xBF";
    for (const QString& entry : entries) {
        bytes += entry.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

bool IsPlaylistEntryStorable(const QString& entry)
{
    return !entry.contains(QLatin1Char('\r')) && !entry.contains(QLatin1Char('\n'));
}

bool WritePlaylistFile(const QString& path, const QStringList& entries)
{
    for (const QString& entry : entries) {
        if (!IsPlaylistEntryStorable(entry))
            return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = PlaylistBytes(entries);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
