// Start-up and shut-down: the playlist comes from pl1.txt and pl2.txt in the current folder
// and goes back there when the window closes, whatever closes it.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QListWidget>
#include <QTimer>

#include "player/form1.h"
#include "player/playlist_file.h"

namespace {

const QString kTitlesFile = QStringLiteral("pl1.txt");
const QString kPathsFile = QStringLiteral("pl2.txt");

QStringList Entries(const QListWidget* list)
{
    QStringList entries;
    entries.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->item(i)->text());
    return entries;
}

}  // namespace

void Form1::Form_Load()
{
    // Each file is read on its own: lists of different lengths load as they are. A missing
    // file gives an empty list. Nothing is selected afterwards.
    List1->addItems(ReadPlaylistFile(kTitlesFile));
    List2->addItems(ReadPlaylistFile(kPathsFile));
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
}

void Form1::Form_Unload()
{
    // Each file is written on its own: one that cannot be written does not stop the other, nor
    // the close. A failed write leaves the previous file whole.
    WritePlaylistFile(kTitlesFile, Entries(List1));
    WritePlaylistFile(kPathsFile, Entries(List2));

    // The window is going away: nothing of it ticks any more, and a title pass still running
    // ends now rather than keeping the program alive.
    TimerAtEndFile->stop();
    TimerMisc->stop();
    Timerscroll->stop();
    EndTitlePass();
}

void Form1::asxToolbar3_ButtonClick(int index, const QString&)
{
    if (index == 1)
        close();
}
