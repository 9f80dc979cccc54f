// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shut-down: the playlist comes from pl1.txt and pl2.txt in the current folder
// and goes back there when the window closes, whatever closes it.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QListWidget>
#include <QTimer>
#include <cstdio>

#include "helpers/bas_scroller.h"
#include "player/form1.h"
#include "player/form1_constants.h"
#include "player/form1_facade.h"
#include "player/playlist_entries.h"
#include "player/playlist_file.h"

namespace zelko {

namespace {

// Reads one playlist file. One that is there but is no playlist to read (a FIFO, a device, a
// file far too big) is named on standard error, shows as an empty list and is never written
// over; `leftAlone` says so.
PlaylistLines Load(const char* name, bool& leftAlone)
{
    QString refusal;
    PlaylistLines file = ReadPlaylistFile(QString::fromLatin1(name), &refusal);
    leftAlone = !refusal.isEmpty();
    if (leftAlone) {
        std::fprintf(stderr, "zelko-player: %s was not read: %s; it is left as it is and not saved\n", name,
                     refusal.toLocal8Bit().constData());
    }
    return file;
}

}  // namespace

void Form1::Form_Load()
{
    // Each file is read on its own: lists of different lengths load as they are. A missing
    // file gives an empty list. Nothing is selected afterwards. Every entry keeps the bytes it
    // was read with, whatever code page they are in; a list longer than 32,767 entries loads
    // whole, and its later entries show, play and save like the others.
    const PlaylistLines titles = Load(form1::kTitlesFile, m_titlesLeftAlone);
    const PlaylistLines paths = Load(form1::kPathsFile, m_pathsLeftAlone);
    playlist_entries::Append(List1, titles.lines);
    playlist_entries::Append(List2, paths.lines);
    m_titlesMarked = titles.byteOrderMark;
    m_pathsMarked = paths.byteOrderMark;
    WatchPlaylist();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The close is never refused; a second request (a signal during the first) finds the
    // playlist already written.
    if (!m_unloaded) {
        m_unloaded = true;
        emit m_facade->Closing();
        Form_QueryUnload();
        Form_Unload();
    }
    event->accept();
}

void Form1::Form_QueryUnload()
{
    TimerMisc->stop();
    TimerAtEndFile->stop();
    // Work already queued finishes before the devices go away, as far as it goes without
    // waiting on the engine; what still waits then is given up, so the window closes at once.
    QCoreApplication::processEvents();
    m_lane.close();
    // The result is not kept, and not waited for: a Close All the channel cannot answer at once
    // is abandoned here (an engine host that is given up takes its devices with it).
    zelko::media::Task<std::string> closing = Media.CloseAllMedia();
    closing.start(nullptr, nullptr);
    SetStatus(PlaybackStatus::Stopped);
    m_playback.open = false;
    emit m_facade->PlaybackChanged();
}

void Form1::Form_Unload()
{
    // A file that cannot be written does not stop the close; it is named, and left whole.
    SavePlaylist();

    // The window is going away: nothing of it ticks or scrolls any more.
    TimerAtEndFile->stop();
    TimerMisc->stop();
    Timerscroll->stop();
    basScroller::EndPass(Picture2);
}

void Form1::asxToolbar3_ButtonClick(int index, const QString&)
{
    if (index == 1) {
        close();
    }
}

}  // namespace zelko
