// Files that come from outside the window (the command line, a drop, a second start) join the
// playlist the way Add to Playlist adds the file chosen in its dialog.
#include <QFile>

#include "player/form1.h"

namespace zelko {

bool Form1::AppendToPlaylist(const QString& title, const QString& path)
{
    // A closing window has written its playlist already; an entry the files cannot hold as one
    // line is refused, as Add refuses it. The path goes in as the file system's bytes.
    return !m_unloaded && AppendEntry(title.toUtf8(), QFile::encodeName(path));
}

}  // namespace zelko
