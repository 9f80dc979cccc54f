#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The playlist files (pl1.txt, pl2.txt): UTF-8 text, one entry per line, each entry followed by
// CR LF when written. The whole line is the entry: blanks, commas and quotes included.

// The entries of a playlist file; an empty list when the file is missing or cannot be read.
QStringList ReadPlaylistFile(const QString& path);

// The entries held in a playlist file's bytes. CR LF, a lone LF and a lone CR each end a line;
// a last line without a line end is an entry too; no bytes give no entries. A UTF-8 byte-order
// mark at the very start is not part of the first entry.
QStringList ReadPlaylistBytes(const QByteArray& bytes);

// The bytes of a playlist file for these entries: each followed by CR LF.
QByteArray PlaylistBytes(const QStringList& entries);

// False for an entry that a playlist file cannot hold: one with a CR or LF in it would come
// back as two entries and throw the two parallel lists out of step.
bool IsPlaylistEntryStorable(const QString& entry);

// Replaces the file with these entries (an empty list gives a 0-byte file). Written through
// QSaveFile, so a crash or a full disk leaves the previous file whole. Returns false, and
// leaves the previous file, when the file cannot be written or an entry cannot be stored.
bool WritePlaylistFile(const QString& path, const QStringList& entries);
