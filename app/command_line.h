// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace zelko {

// zelko-player [--playlist-dir DIR | --user-playlist] [FILE...]
struct CommandLine {
    QList<QByteArray> files;  // the FILE arguments as given, byte for byte: paths or file:// URIs
    QString playlistDir;      // where pl1.txt and pl2.txt live; empty: the current folder
};

// An argument as the text the parser reads, and back to its bytes: UTF-8 reads as itself, and
// each byte of anything else stands as a lone surrogate of its own (U+DC80 to U+DCFF, which UTF-8
// cannot hold), so that a file name in any encoding comes back whole.
QString ArgumentText(const QByteArray& bytes);
QByteArray ArgumentBytes(const QString& text);

// Reads the program's arguments (the program name first), as ArgumentText gives them. --help and --version print and
// end the program here, with 0; a mistake prints one line and ends it with 1.
CommandLine ParseCommandLine(const QStringList& arguments);

// Makes folder (with its parents) when it is missing and makes it the current folder, where
// the window reads and writes its playlist files. False, with one line on standard error, when
// that cannot be done.
bool EnterPlaylistFolder(const QString& folder);

}  // namespace zelko
