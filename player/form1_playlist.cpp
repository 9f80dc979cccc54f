// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist toolbar and the selection: List1 (titles) and List2 (full paths) change
// together, and List2's selection follows List1's.
#include <QFile>
#include <QListWidget>
#include <QSignalBlocker>

#include "player/controls/common_dialog.h"
#include "player/form1.h"
#include "player/playlist_entries.h"
#include "player/playlist_file.h"

namespace zelko {

void Form1::asxToolbar2_ButtonClick(int index, const QString&)
{
    switch (index) {
    case 1: PlaylistAdd(); break;
    case 2: PlaylistRemove(); break;
    case 3: PlaylistClearAll(); break;
    default: break;
    }
}

void Form1::List1_Click()
{
    List2->setCurrentRow(SelectedIndex(List1));
}

bool Form1::AppendEntry(const QByteArray& title, const QByteArray& path)
{
    // A closing window has written its playlist already. Both texts go in as the bytes given,
    // whatever their encoding, so the file still opens.
    if (m_unloaded || !IsPlaylistEntryStorable(title) || !IsPlaylistEntryStorable(path)) {
        return false;
    }
    playlist_entries::Append(List1, {title});
    playlist_entries::Append(List2, {path});
    return true;
}

void Form1::PlaylistAdd()
{
    // A cancelled dialog adds nothing. A name with a line break in it (possible on Linux) is
    // refused too: the playlist files could not hold it. The title is written in UTF-8; the
    // path as the file system's bytes, which for every name the dialog lists is its UTF-8.
    if (!CommonDialog1->ShowOpen()) {
        return;
    }
    if (!AppendEntry(CommonDialog1->FileTitle().toUtf8(), QFile::encodeName(CommonDialog1->FileName()))) {
        return;
    }
    List1->setCurrentRow(List1->count() - 1);  // List1_Click selects it in List2 too
}

void Form1::PlaylistRemove()
{
    // Both entries go, and afterwards nothing is selected in either list. List1's handler is
    // held back while its entry goes, since the list would select the next entry meanwhile.
    const int titleRow = SelectedIndex(List1);
    const int pathRow = SelectedIndex(List2);
    {
        const QSignalBlocker quiet(List1);
        if (titleRow >= 0) {
            delete List1->takeItem(titleRow);
        }
        List1->setCurrentRow(-1);
    }
    if (pathRow >= 0) {
        delete List2->takeItem(pathRow);
    }
    List2->setCurrentRow(-1);
}

void Form1::PlaylistClearAll()
{
    // Playback is not touched: a file that is playing plays on.
    List1->clear();
    List2->clear();
}

}  // namespace zelko
