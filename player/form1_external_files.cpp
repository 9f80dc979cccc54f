// SPDX-License-Identifier: GPL-3.0-or-later
// Files that come from outside the window (the command line, a drop, a second start) join the
// playlist the way Add to Playlist adds the file chosen in its dialog.
#include "player/form1.h"

namespace zelko {

bool Form1::AppendToPlaylist(const QByteArray& title, const QByteArray& path)
{
    // A closing window has written its playlist already; an entry the files cannot hold as one
    // line is refused, as Add refuses it. Both go in as the file system's bytes, whatever their
    // encoding, so the file still opens.
    return !m_unloaded && AppendEntry(title, path);
}

}  // namespace zelko
