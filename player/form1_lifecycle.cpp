// Start-up and shut-down: the playlist comes from pl1.txt and pl2.txt in the current folder
// and goes back there when the window closes, whatever closes it.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QListWidget>
#include <QTimer>
#include <cstdio>

#include "helpers/bas_scroller.h"
#include "player/form1.h"
#include "player/playlist_entries.h"
#include "player/playlist_file.h"

namespace zelko {

namespace {

const QString kTitlesFile = QStringLiteral("pl1.txt");
const QString kPathsFile = QStringLiteral("pl2.txt");

// Writes one playlist file; a file that cannot be written is named on standard error with the
// reason, since nothing on screen outlives the close.
void Save(const QString& name, const QListWidget* list, bool byteOrderMark)
{
    const QString failure = WritePlaylistFile(name, {playlist_entries::AllBytes(list), byteOrderMark});
    if (!failure.isEmpty())
        std::fprintf(stderr, "zelko-player: %s was not saved: %s\n", qPrintable(name), qPrintable(failure));
}

}  // namespace

void Form1::Form_Load()
{
    // Each file is read on its own: lists of different lengths load as they are. A missing
    // file gives an empty list. Nothing is selected afterwards. Every entry keeps the bytes it
    // was read with, whatever code page they are in; a list longer than 32,767 entries loads
    // whole, and its later entries show, play and save like the others.
    const PlaylistLines titles = ReadPlaylistFile(kTitlesFile);
    const PlaylistLines paths = ReadPlaylistFile(kPathsFile);
    playlist_entries::Append(List1, titles.lines);
    playlist_entries::Append(List2, paths.lines);
    m_titlesMarked = titles.byteOrderMark;
    m_pathsMarked = paths.byteOrderMark;
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The close is never refused; a second request (a signal during the first) finds the
    // playlist already written.
    if (!m_unloaded) {
        m_unloaded = true;
        Form_QueryUnload();
        Form_Unload();
    }
    event->accept();
}

void Form1::Form_QueryUnload()
{
    TimerMisc->stop();
    TimerAtEndFile->stop();
    // Work already queued finishes before the devices go away.
    QCoreApplication::processEvents();
    Media.CloseAllMedia();  // the result is not kept
    m_playback.status = PlaybackStatus::Stopped;
    m_playback.open = false;
    emit PlaybackChanged();
}

void Form1::Form_Unload()
{
    // Each file is written on its own: one that cannot be written does not stop the other, nor
    // the close. A failed write leaves the previous file whole.
    Save(kTitlesFile, List1, m_titlesMarked);
    Save(kPathsFile, List2, m_pathsMarked);

    // The window is going away: nothing of it ticks or scrolls any more.
    TimerAtEndFile->stop();
    TimerMisc->stop();
    Timerscroll->stop();
    basScroller::EndPass(Picture2);
}

void Form1::asxToolbar3_ButtonClick(int index, const QString&)
{
    if (index == 1)
        close();
}

}  // namespace zelko
