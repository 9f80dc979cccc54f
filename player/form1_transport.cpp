// SPDX-License-Identifier: GPL-3.0-or-later
// The transport toolbar: Play, Pause, Stop, Slow Motion, Fullscreen. Pause and Slow Motion are
// two-state buttons that show the playback record, which these procedures toggle themselves: a
// command's result is shown, and the button toggles whatever it says.
#include <QListWidget>
#include <QTimer>
#include <algorithm>

#include "player/controls/asx_toolbar.h"
#include "platform/volume.h"
#include "player/form1.h"
#include "player/form1_constants.h"
#include "player/form1_facade.h"

namespace zelko {

namespace {

constexpr int32_t kSlowMotionPercent = 40;
constexpr int32_t kNormalSpeedPercent = 100;

}  // namespace

void Form1::asxToolbar1_ButtonClick(int index, const QString& /*key*/)
{
    switch (index) {
    case form1::kPlayButton: PlaySelected(); break;
    case form1::kPauseButton: PausePlayback(); break;
    case form1::kStopButton: StopPlayback(); break;
    case form1::kSlowMotionButton: SlowMotion(); break;
    case form1::kFullscreenButton: GoFullscreen(); return;  // the focus stays on txtfull
    default: return;
    }
    List1->setFocus();
}

void Form1::List1_DblClick()
{
    // The click before it has already selected the entry in both lists.
    PlaySelected();
}

void Form1::PausePlayback()
{
    // Pause latches whatever the device answers, as nothing else could release it later; a
    // resume that fails leaves nothing playing.
    if (m_playback.status != PlaybackStatus::Paused) {
        mResult = Media.PauseMedia(mAlias);
        ShowResult();
        TimerMisc->stop();
        SetStatus(PlaybackStatus::Paused);
    } else {
        mResult = Media.ResumeMedia(mAlias);
        ShowResult();
        EnableTimer(TimerMisc);
        SetStatus(mResult == "Success" ? PlaybackStatus::Playing : PlaybackStatus::Stopped);
    }
    emit m_facade->PlaybackChanged();
}

void Form1::StopPlayback()
{
    ReleasePause();
    mResult = Media.StopMedia(mAlias);
    ShowResult();
    TimerMisc->stop();
    SetStatus(PlaybackStatus::Stopped);
    emit m_facade->PlaybackChanged();
}

void Form1::SlowMotion()
{
    const bool slowed = m_playback.slowMotion;
    mResult = Media.SetPlaybackSpeed(mAlias, slowed ? kNormalSpeedPercent : kSlowMotionPercent);
    ShowResult();
    SetSlowMotion(!slowed);
    emit m_facade->PlaybackChanged();
}

void Form1::SetVolume(int32_t volume)
{
    m_playback.volume = std::clamp(volume, 0, platform::kFullVolume);
    if (m_playback.open) {
        mResult = Media.SetVolume(mAlias, m_playback.volume);
        ShowResult();
    }
    emit m_facade->PlaybackChanged();
}

}  // namespace zelko
