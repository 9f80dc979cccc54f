// SPDX-License-Identifier: GPL-3.0-or-later
// The playback monitor and the slider seek. Twice a second the monitor shows where playback
// stands on the slider, the LED bar and the time label; moving the slider's thumb seeks there.
#include <QLabel>
#include <QLocale>
#include <QTimer>

#include "platform/rounding.h"
#include "meter/meter3.h"
#include "player/controls/cpv_slider.h"
#include "player/elapsed_time.h"
#include "player/form1.h"
#include "player/form1_facade.h"

namespace zelko {

void Form1::TimerMisc_Timer()
{
    m_lane.run(LaneKind::Tick, MonitorTick());
}

Form1::Procedure Form1::MonitorTick()
{
    const int32_t percent = co_await Media.GetPercentPlayed(mAlias);
    // -1 (no position) leaves the LED bar as it was; the slider shows -1, which is in its range.
    if (percent != -1) {
        if (const auto half = zelko::platform::roundHalfEven(percent / 2.0)) {
            Meter31->SetValue(static_cast<int16_t>(*half));
        }
        m_position.Near(percent, mTotalFrames);
    }
    cpvSlider1->SetValue(percent);

    const zelko::player::ElapsedTime elapsed = zelko::player::elapsedFromPercent(percent, mTotalSeconds);
    lbcurrentime->setText(zelko::player::timeCaption(percent, elapsed, mTotalMinutes, mTotalSecondsText));
}

void Form1::cpvSlider1_ThumbMoved(int /*value*/)
{
    m_lane.run(LaneKind::Seek, SliderSeek(cpvSlider1->Value()));
}

Form1::Procedure Form1::SliderSeek(int32_t percent)
{
    // Each step that fails is skipped: a frame count that is not a number (nothing played yet)
    // or a target beyond 32 bits keeps the previous target, and the seek is sent regardless.
    bool isNumber = false;
    const double frames = QLocale().toDouble(LbTotalFrames->text(), &isNumber);
    if (isNumber) {
        if (const auto target = zelko::platform::roundHalfEven(frames * percent / 100)) {
            mSeekFrame = *target;
        }
    }
    co_await SendSeek();
}

Form1::Procedure Form1::SeekTo(int32_t frame)
{
    mSeekFrame = frame;
    co_await SendSeek();
}

Form1::Procedure Form1::SendSeek()
{
    // The desktop asks where playback stands right after it asked for the seek: the clock
    // stands at the target already, and goes back where it was when the seek is refused.
    const zelko::player::PositionClock before = m_position;
    m_position.Set(mSeekFrame);
    mResult = co_await Media.SeekMedia(mAlias, mSeekFrame);
    if (mResult != "Success") {
        m_position = before;
    }
    // The seek plays on from the new place, also from paused or stopped. Unless the window
    // already shows playback, it asks the device, and when that plays it shows what a resume
    // shows: Pause released, the monitor running.
    const bool shownPlaying = m_playback.status == PlaybackStatus::Playing && TimerMisc->isActive();
    if (!shownPlaying) {
        const bool playing = co_await Media.IsPlaying(mAlias);
        if (playing) {
            SetStatus(PlaybackStatus::Playing);
            EnableTimer(TimerMisc);
            emit m_facade->PlaybackChanged();
        }
    }
    emit m_facade->Seeked();
}

}  // namespace zelko
