// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace zelko {

// The playlist files (pl1.txt, pl2.txt): one entry per line, each entry followed by CR LF when
// written. The whole line is the entry: blanks, commas and quotes included. Entries are kept as
// the bytes they were read with, so a file comes back byte for byte whatever its code page: a
// playlist made on Windows holds Windows-1252, one made here UTF-8, and paths hold whatever
// bytes the file system's names have.
struct PlaylistLines {
    QList<QByteArray> lines;     // each entry's bytes, without its line end
    bool byteOrderMark = false;  // the file began with a UTF-8 byte-order mark

    bool operator==(const PlaylistLines&) const = default;
};

// The bounds a playlist file is read within: far above any real playlist, low enough that a
// file that is not one (a disk image, a log) cannot take the machine's memory.
inline constexpr qint64 kMaxPlaylistFileBytes = qint64{256} * 1024 * 1024;
inline constexpr qsizetype kMaxPlaylistEntries = 1000000;

// The lines of a playlist file; none when the file is missing. Only a regular file within the
// bounds above is read: anything else (a FIFO, a device, a folder, a file too big or of too many
// lines, one that cannot be read) gives no lines and, in `refusal`, why it was not read; such a
// file is no playlist of ours to write over. Nothing here waits on a writer or reads without end.
PlaylistLines ReadPlaylistFile(const QString& path, QString* refusal = nullptr);

// The lines held in a playlist file's bytes. CR LF, a lone LF and a lone CR each end a line;
// a last line without a line end is an entry too; no bytes give no entries. A UTF-8 byte-order
// mark at the very start is not part of the first entry.
PlaylistLines ReadPlaylistBytes(const QByteArray& bytes);

// The bytes of a playlist file for these lines: each followed by CR LF, behind a byte-order mark
// when the file had one. A first entry that itself begins with the mark's bytes goes out behind
// a mark too, since the reader would otherwise take them for one.
QByteArray PlaylistBytes(const PlaylistLines& file);

// How an entry's bytes are shown: as UTF-8 when they are valid UTF-8, otherwise as Windows-1252,
// the code page the format was born with (each byte one character, none lost).
QString DecodePlaylistLine(QByteArrayView line);

// False for an entry that a playlist file cannot hold: one with a CR or LF in it would come
// back as two entries and throw the two parallel lists out of step.
bool IsPlaylistEntryStorable(QByteArrayView entry);

// How an entry is shown in a list: as DecodePlaylistLine shows it, cut after a screen's width of
// characters with an ellipsis, so a line of megabytes costs no more to lay out than a path.
QString ShownPlaylistLine(QByteArrayView line);

}  // namespace zelko
