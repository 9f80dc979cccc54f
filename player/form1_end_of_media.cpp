// SPDX-License-Identifier: GPL-3.0-or-later
// End of media: every 100 ms TimerAtEndFile asks whether the open file has reached its end,
// then replays the selected entry (Auto Replay), moves on to the next one, or stops after the
// last. Fullscreen playback stays fullscreen.
#include <QCheckBox>
#include <QListWidget>
#include <QTimer>

#include "player/form1.h"
#include "player/form1_facade.h"

namespace zelko {

void Form1::TimerAtEndFile_Timer()
{
    m_lane.run(LaneKind::Tick, EndOfMediaTick());
}

Form1::Procedure Form1::EndOfMediaTick()
{
    // A fresh length every tick: the file may have changed since the last one. Nothing open,
    // or an open that failed, reads as "not at the end", so a failed entry is not retried.
    int32_t lengthFrames = 0;
    const bool atEnd = co_await Media.IsAtEnd(mAlias, lengthFrames);
    if (!atEnd) {
        co_return;
    }
    m_position.Set(lengthFrames);

    TimerMisc->stop();
    Timerscroll->stop();
    // A device left at its end finds it again on every tick; only the first one tells. The
    // latched Pause is the user's and stays as it is.
    if (m_playback.status == PlaybackStatus::Playing) {
        SetStatus(PlaybackStatus::Stopped);
        emit m_facade->PlaybackChanged();
    }

    if (Check->checkState() == Qt::Checked) {
        co_await PlayEntryInCurrentMode();
        co_return;
    }
    co_await PlayNextEntry();
}

bool Form1::SelectNextEntry()
{
    // The last entry ends the run: the list does not wrap around. With nothing selected (-1)
    // the first entry is next.
    const int index = SelectedIndex(List1);
    if (index == List1->count() - 1) {
        return false;
    }
    List1->setCurrentRow(index + 1);
    return true;
}

Form1::Procedure Form1::PlayNextEntry()
{
    if (SelectNextEntry()) {
        co_await PlayEntryInCurrentMode();
    }
}

Form1::Procedure Form1::PlayEntryInCurrentMode()
{
    if (IsMaximized()) {
        co_await PlaySelectedFullscreen();
    } else {
        co_await PlaySelected();
    }
}

}  // namespace zelko
