#pragma once

#include <QString>
#include <QStringList>

namespace zelko {

// zelko-player [--playlist-dir DIR | --user-playlist] [FILE...]
struct CommandLine {
    QStringList files;    // the FILE arguments as given: paths or file:// URIs
    QString playlistDir;  // where pl1.txt and pl2.txt live; empty: the current folder
};

// Reads the program's arguments (the program name first). --help and --version print and end
// the program here, with 0; a mistake prints one line and ends it with 1.
CommandLine ParseCommandLine(const QStringList& arguments);

// Makes folder (with its parents) when it is missing and makes it the current folder, where
// the window reads and writes its playlist files. False, with one line on standard error, when
// that cannot be done.
bool EnterPlaylistFolder(const QString& folder);

}  // namespace zelko
