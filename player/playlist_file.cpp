// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/playlist_file.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// About a screen's width of characters: what a list shows of one entry.
constexpr qsizetype kShownCharacters = 1000;

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The file's bytes, read only when it is a regular file within the size bound. The file is
// opened without waiting, so a FIFO put in its place between the check and the open cannot stop
// the player, and the read stops at the bound even if the file grows meanwhile.
QByteArray ReadRegularFile(const QByteArray& name, QString& why)
{
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0) {
        if (errno != ENOENT) {
            why = ErrnoText(errno);
        }
        return {};
    }
    const int fd = S_ISREG(info.st_mode) ? ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (S_ISREG(info.st_mode) && fd < 0) {
        why = ErrnoText(errno);
        return {};
    }
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = QStringLiteral("not a regular file");
    } else if (info.st_size > kMaxPlaylistFileBytes) {
        why = QStringLiteral("larger than %1 MiB").arg(kMaxPlaylistFileBytes / (1024 * 1024));
    }
    QByteArray bytes;
    if (why.isEmpty()) {
        bytes.resize(info.st_size + 1);
        qsizetype filled = 0;
        while (filled < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                why = ErrnoText(errno);
            }
            if (n <= 0) {
                break;
            }
            filled += n;
            if (filled == bytes.size() && bytes.size() <= kMaxPlaylistFileBytes) {
                bytes.resize(std::min<qint64>(bytes.size() * 2, kMaxPlaylistFileBytes + 1));
            }
        }
        bytes.truncate(filled);
        if (filled > kMaxPlaylistFileBytes) {
            why = QStringLiteral("larger than %1 MiB").arg(kMaxPlaylistFileBytes / (1024 * 1024));
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return why.isEmpty() ? bytes : QByteArray();
}

// The line ends in the bytes, counted before any entry is made: a file of nothing but line
// breaks would otherwise become hundreds of millions of entries.
qsizetype LineEnds(const QByteArray& bytes)
{
    qsizetype ends = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++ends;
        }
    }
    return ends;
}

PlaylistLines ReadBounded(const QByteArray& name, QString& why)
{
    const QByteArray bytes = ReadRegularFile(name, why);
    if (LineEnds(bytes) >= kMaxPlaylistEntries + 1) {
        why = QStringLiteral("more than %1 entries").arg(kMaxPlaylistEntries);
        return {};
    }
    return ReadPlaylistBytes(bytes);
}

QString Decode(QByteArrayView line, bool utf8)
{
    if (!utf8) {
        return FromWindows1252(line);
    }
    // A U+FEFF that begins a line is part of the entry (only the file's first three bytes can be
    // a byte-order mark), so it is shown, not dropped. A sequence cut at the end of a shown part
    // is held back by the decoder, not shown as a wrong character.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(line);
}

}  // namespace

PlaylistLines ReadPlaylistFile(const QString& path, QString* refusal)
{
    QString why;
    PlaylistLines file = ReadBounded(QFile::encodeName(path), why);
    if (refusal) {
        *refusal = why;
    }
    return file;
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
        if (c != '\r' && c != '\n') {
            continue;
        }
        file.lines.append(rest.sliced(lineStart, i - lineStart).toByteArray());
        if (c == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n') {
            ++i;
        }
        lineStart = i + 1;
    }
    if (lineStart < rest.size()) {
        file.lines.append(rest.sliced(lineStart).toByteArray());
    }
    return file;
}

QByteArray PlaylistBytes(const PlaylistLines& file)
{
    QByteArray bytes;
    if (file.byteOrderMark || (!file.lines.isEmpty() && file.lines.front().startsWith(kByteOrderMark))) {
        bytes += kByteOrderMark;
    }
    for (const QByteArray& line : file.lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

QString DecodePlaylistLine(QByteArrayView line)
{
    return Decode(line, line.isValidUtf8());
}

QString ShownPlaylistLine(QByteArrayView line)
{
    // No character takes more than four bytes, so this many bytes hold more than a screen.
    const qsizetype enough = 4 * kShownCharacters;
    if (line.size() <= kShownCharacters) {
        return DecodePlaylistLine(line);
    }
    QString text = Decode(line.first(std::min(line.size(), enough)), line.isValidUtf8());
    if (text.size() <= kShownCharacters) {
        return text;
    }
    qsizetype cut = kShownCharacters;
    if (text.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return text.first(cut) + QChar(0x2026);
}

bool IsPlaylistEntryStorable(QByteArrayView entry)
{
    return !entry.contains('\r') && !entry.contains('\n');
}

}  // namespace zelko
