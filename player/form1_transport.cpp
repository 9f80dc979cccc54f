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
    case form1::kPlayButton: m_lane.run(LaneKind::Play, TransportButton(index)); break;
    case form1::kPauseButton:
    case form1::kStopButton:
    case form1::kSlowMotionButton:
    case form1::kFullscreenButton: m_lane.run(LaneKind::Transport, TransportButton(index)); break;
    default: break;
    }
}

Form1::Procedure Form1::TransportButton(int index)
{
    switch (index) {
    case form1::kPlayButton: co_await PlaySelected(); break;
    case form1::kPauseButton: co_await PausePlayback(); break;
    case form1::kStopButton: co_await StopPlayback(); break;
    case form1::kSlowMotionButton: co_await SlowMotion(); break;
    case form1::kFullscreenButton: co_await GoFullscreen(); co_return;  // the focus stays on txtfull
    default: co_return;
    }
    List1->setFocus();
}

void Form1::List1_DblClick()
{
    // The click before it has already selected the entry in both lists.
    m_lane.run(LaneKind::Play, PlaySelected());
}

Form1::Procedure Form1::PausePlayback()
{
    // Pause latches whatever the device answers, as nothing else could release it later; a
    // resume that fails leaves nothing playing.
    if (m_playback.status != PlaybackStatus::Paused) {
        mResult = co_await Media.PauseMedia(mAlias);
        ShowResult();
        TimerMisc->stop();
        SetStatus(PlaybackStatus::Paused);
    } else {
        mResult = co_await Media.ResumeMedia(mAlias);
        ShowResult();
        EnableTimer(TimerMisc);
        SetStatus(mResult == "Success" ? PlaybackStatus::Playing : PlaybackStatus::Stopped);
    }
    emit m_facade->PlaybackChanged();
}

Form1::Procedure Form1::StopPlayback()
{
    ReleasePause();
    mResult = co_await Media.StopMedia(mAlias);
    ShowResult();
    TimerMisc->stop();
    SetStatus(PlaybackStatus::Stopped);
    emit m_facade->PlaybackChanged();
}

Form1::Procedure Form1::SlowMotion()
{
    const bool slowed = m_playback.slowMotion;
    mResult = co_await Media.SetPlaybackSpeed(mAlias, slowed ? kNormalSpeedPercent : kSlowMotionPercent);
    ShowResult();
    SetSlowMotion(!slowed);
    // The speed applies at once; what the device answered is not looked at, as for the button.
    m_position.SetRate(slowed ? 1.0 : kSlowMotionPercent / 100.0);
    emit m_facade->PlaybackChanged();
}

Form1::Procedure Form1::SetVolume(int32_t volume)
{
    m_playback.volume = std::clamp(volume, 0, platform::kFullVolume);
    if (m_playback.open) {
        mResult = co_await Media.SetVolume(mAlias, m_playback.volume);
        ShowResult();
    }
    emit m_facade->PlaybackChanged();
}

}  // namespace zelko
