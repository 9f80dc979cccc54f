// The transport toolbar: Play, Pause, Stop, Slow Motion, Fullscreen. Pause and Slow Motion are
// two-state buttons whose only record is the toolbar's latched ButtonPressed, which these
// procedures toggle themselves; a command's result is shown but never tested.
#include <QListWidget>
#include <QTimer>

#include "player/controls/asx_toolbar.h"
#include "player/form1.h"

namespace {

constexpr int kPlayButton = 1;
constexpr int kPauseButton = 2;
constexpr int kStopButton = 3;
constexpr int kSlowMotionButton = 4;
constexpr int kFullscreenButton = 5;
constexpr int32_t kSlowMotionPercent = 40;
constexpr int32_t kNormalSpeedPercent = 100;

}  // namespace

void Form1::asxToolbar1_ButtonClick(int index, const QString& /*key*/)
{
    switch (index) {
    case kPlayButton: PlaySelected(); break;
    case kPauseButton: PausePlayback(); break;
    case kStopButton: StopPlayback(); break;
    case kSlowMotionButton: SlowMotion(); break;
    case kFullscreenButton: GoFullscreen(); return;  // the focus stays on txtfull
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
    if (!asxToolbar1->ButtonPressed(kPauseButton)) {
        mResult = Media.PauseMedia(mAlias);
        ShowResult();
        TimerMisc->stop();
    } else {
        mResult = Media.ResumeMedia(mAlias);
        ShowResult();
        EnableTimer(TimerMisc);
    }
    asxToolbar1->SetButtonPressed(kPauseButton, !asxToolbar1->ButtonPressed(kPauseButton));
}

void Form1::StopPlayback()
{
    asxToolbar1->SetButtonPressed(kPauseButton, false);
    mResult = Media.StopMedia(mAlias);
    ShowResult();
    TimerMisc->stop();
    asxToolbar1->SetButtonPressed(kPauseButton, false);
}

void Form1::SlowMotion()
{
    const bool slowed = asxToolbar1->ButtonPressed(kSlowMotionButton);
    mResult = Media.SetPlaybackSpeed(mAlias, slowed ? kNormalSpeedPercent : kSlowMotionPercent);
    ShowResult();
    asxToolbar1->SetButtonPressed(kSlowMotionButton, !asxToolbar1->ButtonPressed(kSlowMotionButton));
}
