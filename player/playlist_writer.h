// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <memory>

namespace zelko {

struct PlaylistLines;

// One playlist file on its way to the disk, in two steps, so that two files can be prepared
// before either is committed. Prepare writes the new bytes into a temporary file beside the old
// one and checks every write, the flush and the sync; Commit renames it over the old file. Where
// the folder takes no temporary file but the file itself may be written, Prepare reserves the
// room for the new bytes in the file (nothing else changes yet) and Commit rewrites it in place,
// which then cannot run out of room. A writer destroyed before its commit leaves the old file.
class PlaylistWriter {
public:
    explicit PlaylistWriter(QString path);
    ~PlaylistWriter();
    PlaylistWriter(const PlaylistWriter&) = delete;
    PlaylistWriter& operator=(const PlaylistWriter&) = delete;

    // Empty when the file is ready to commit, otherwise why not; the old file is untouched either way.
    QString Prepare(const PlaylistLines& file);
    // Empty when the new bytes are in place, otherwise why not.
    QString Commit();
    // After Prepare: the path names something other than a regular file (a folder, a device, a
    // FIFO), which is no playlist to write over.
    bool LeftAlone() const { return m_leftAlone; }

private:
    QString PrepareInPlace();
    QString CommitInPlace();

    QString m_path;
    QByteArray m_bytes;
    std::unique_ptr<QSaveFile> m_save;
    int m_inPlace = -1;  // the file itself, open for an in-place rewrite
    bool m_leftAlone = false;
};

// Replaces the file with these lines (no lines give a 0-byte file): prepared, then committed.
// Returns an empty text when the file was written, otherwise why not.
QString WritePlaylistFile(const QString& path, const PlaylistLines& file);

}  // namespace zelko
