// Files that come from outside the window (the command line, a drop, a second start) join the
// playlist the way Add to Playlist adds the file chosen in its dialog.
#include <QListWidget>

#include "player/form1.h"
#include "player/playlist_file.h"

bool Form1::AppendToPlaylist(const QString& title, const QString& path)
{
    // A closing window has written its playlist already; an entry the files cannot hold as one
    // line is refused, as Add refuses it.
    if (m_unloaded || !IsPlaylistEntryStorable(title) || !IsPlaylistEntryStorable(path))
        return false;
    List1->addItem(title);
    List2->addItem(path);
    return true;
}
