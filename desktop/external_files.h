// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace zelko {

class Player;

// Files handed to the player from outside its file dialog: names on the command line, URIs
// dropped on the window, the files of a second start. Only files of the kinds the player takes
// (platform/media_kinds.h) join the playlist; every other argument is named in one refusal line
// that says why.
struct ExternalFiles {
    QList<QByteArray> paths;  // absolute, cleaned paths as the file system's bytes, in the order given
    QStringList refusals;     // "not added: <argument>: <reason>"
};

// Each argument is a path as the file system's bytes (relative ones are taken from baseDir),
// whatever its encoding, or a file:// URI. A folder adds the offered kinds inside it, sorted by
// name regardless of case, without its subfolders. A name with a CR or LF in it is refused: a
// line of the playlist files could not hold it.
ExternalFiles CollectExternalFiles(const QList<QByteArray>& arguments, const QString& baseDir);
// The same for arguments as text (a URI from the session bus, a name typed in).
ExternalFiles CollectExternalFiles(const QStringList& arguments, const QString& baseDir);

// The same for dropped URIs; non-local ones are refused.
ExternalFiles CollectDroppedFiles(const QList<QUrl>& urls);

// The name patterns of the kinds the player takes ("*.mp3", "*.mid", ...).
QStringList OfferedPatterns();

// Appends each file to the playlist as Add to Playlist appends the dialog's choice, then plays
// the first one added as a double-click on it would (in fullscreen mode, as F1 would, so the
// picture stays over the whole screen). Returns how many were added.
int AppendAndPlay(Player& player, const QList<QByteArray>& paths);

// Writes each refusal to standard error as one line, after the program's name.
void ReportRefusals(const QStringList& refusals);

}  // namespace zelko
