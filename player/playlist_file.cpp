#include "player/playlist_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <array>

namespace zelko {

namespace {

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves undefined show as the C1 controls
// of the same number, so every byte still has a character of its own.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString FromWindows1252(QByteArrayView line)
{
    QString text(line.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char16_t{byte});
    }
    return text;
}

// Why a file operation failed, never empty.
QString Reason(const QFileDevice& file)
{
    const QString text = file.errorString();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

}  // namespace

PlaylistLines ReadPlaylistFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {};
    return ReadPlaylistBytes(bytes);
}

PlaylistLines ReadPlaylistBytes(const QByteArray& bytes)
{
    PlaylistLines file;
    QByteArrayView rest(bytes);
    if (rest.startsWith(kByteOrderMark)) {
        file.byteOrderMark = true;
        rest = rest.sliced(kByteOrderMark.size());
    }
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        char c = rest[i];
        if (c != '\r' && c != '\n')
            continue;
        file.lines.append(rest.sliced(lineStart, i - lineStart).toByteArray());
        if (c == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < rest.size())
        file.lines.append(rest.sliced(lineStart).toByteArray());
    return file;
}

QByteArray PlaylistBytes(const PlaylistLines& file)
{
    QByteArray bytes;
    if (file.byteOrderMark || (!file.lines.isEmpty() && file.lines.front().startsWith(kByteOrderMark)))
        bytes += kByteOrderMark;
    for (const QByteArray& line : file.lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

QString DecodePlaylistLine(QByteArrayView line)
{
    if (!line.isValidUtf8())
        return FromWindows1252(line);
    // A U+FEFF that begins a line is part of the entry (only the file's first three bytes can be
    // a byte-order mark), so it is shown, not dropped.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(line);
}

bool IsPlaylistEntryStorable(QByteArrayView entry)
{
    return !entry.contains('\r') && !entry.contains('\n');
}

QString WritePlaylistFile(const QString& path, const PlaylistLines& file)
{
    const QString kept = QStringLiteral("; the file is left as it was");
    for (const QByteArray& line : file.lines) {
        if (!IsPlaylistEntryStorable(line))
            return QStringLiteral("an entry holds a line break") + kept;
    }
    QSaveFile out(path);
    // A folder where no temporary file may be made still gets its playlist, written over the
    // old file in place, as long as the file itself may be written.
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        return Reason(out) + kept;
    const QByteArray bytes = PlaylistBytes(file);
    if (out.write(bytes) != bytes.size()) {
        const QString why = Reason(out);
        out.cancelWriting();
        return why;
    }
    return out.commit() ? QString() : Reason(out);
}

}  // namespace zelko
