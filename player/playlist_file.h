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

// The lines of a playlist file; none when the file is missing or cannot be read.
PlaylistLines ReadPlaylistFile(const QString& path);

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

// Replaces the file with these lines (no lines give a 0-byte file). Written through a temporary
// file and a rename where the folder lets one be made, so a crash or a full disk leaves the
// previous file whole; where it does not but the file itself is writable, rewritten in place,
// which loses no edits though a crash midway could cut the file. Returns an empty text when the
// file was written, otherwise why not, adding that the file is left as it was when the failure
// came before anything was written.
QString WritePlaylistFile(const QString& path, const PlaylistLines& file);

}  // namespace zelko
