// SPDX-License-Identifier: GPL-3.0-or-later
// The transport toolbar: Play, Pause, Stop, Slow Motion, Fullscreen. Pause and Slow Motion are
// two-state buttons whose only record is the toolbar's latched ButtonPressed, which these
// procedures toggle themselves; a command's result is shown but never tested.
#include <QListWidget>
#include <QTimer>
#include <algorithm>

#include "player/controls/asx_toolbar.h"
#include "platform/volume.h"
#include "player/form1.h"
#include "player/form1_constants.h"

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
    // The device is paused or playing as the command's result says; the button toggles anyway.
    if (!asxToolbar1->ButtonPressed(form1::kPauseButton)) {
        mResult = Media.PauseMedia(mAlias);
        ShowResult();
        TimerMisc->stop();
        if (mResult == "Success") {
            m_playback.status = PlaybackStatus::Paused;
        }
    } else {
        mResult = Media.ResumeMedia(mAlias);
        ShowResult();
        EnableTimer(TimerMisc);
        if (mResult == "Success") {
            m_playback.status = PlaybackStatus::Playing;
        }
    }
    asxToolbar1->SetButtonPressed(form1::kPauseButton, !asxToolbar1->ButtonPressed(form1::kPauseButton));
    emit PlaybackChanged();
}

void Form1::StopPlayback()
{
    asxToolbar1->SetButtonPressed(form1::kPauseButton, false);
    mResult = Media.StopMedia(mAlias);
    ShowResult();
    TimerMisc->stop();
    asxToolbar1->SetButtonPressed(form1::kPauseButton, false);
    if (mResult == "Success") {
        m_playback.status = PlaybackStatus::Stopped;
    }
    emit PlaybackChanged();
}

void Form1::SlowMotion()
{
    const bool slowed = asxToolbar1->ButtonPressed(form1::kSlowMotionButton);
    mResult = Media.SetPlaybackSpeed(mAlias, slowed ? kNormalSpeedPercent : kSlowMotionPercent);
    ShowResult();
    asxToolbar1->SetButtonPressed(form1::kSlowMotionButton, !asxToolbar1->ButtonPressed(form1::kSlowMotionButton));
    emit PlaybackChanged();
}

void Form1::SetVolume(int32_t volume)
{
    m_playback.volume = std::clamp(volume, 0, platform::kFullVolume);
    if (m_playback.open) {
        mResult = Media.SetVolume(mAlias, m_playback.volume);
        ShowResult();
    }
    emit PlaybackChanged();
}

}  // namespace zelko
