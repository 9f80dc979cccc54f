// SPDX-License-Identifier: GPL-3.0-or-later
// Fullscreen mode and the keys of txtfull. The window state is the mode: maximized is
// fullscreen, normal is the normal window; nothing else records it.
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTimer>

#include "player/form1.h"
#include "player/form1_constants.h"
#include "player/form1_facade.h"
#include "player/video_host.h"
#include "player/virtual_key.h"

namespace zelko {

namespace {

constexpr int kStoppedPictureTopTwips = 4095;
constexpr int kStoppedPictureLeftTwips = 1365;

}  // namespace

void Form1::MaximizeOverPicture1()
{
    if (!IsMaximized()) {
        m_normalGeometry = geometry();
    }
    // The work area is set as well as the state, so the size read right after is already the
    // likely answer before a window manager has given it (or where there is none). The real
    // answer may differ or come later; resizeEvent follows it.
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        setGeometry(screen->availableGeometry());
    }
    setWindowState(windowState() | Qt::WindowMaximized);
    SetTwipsGeometry(Picture1, 0, 0, WidthTwips(), HeightTwips());
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FollowMaximizedSize();
}

// A window manager answers a maximize in its own time, with its work area (the screen less its
// panels), and may change that answer later; the picture fills what the window really got, and
// the video follows it in its turn.
void Form1::FollowMaximizedSize()
{
    if (!IsMaximized() || (Picture1->pos() == QPoint(0, 0) && Picture1->size() == size())) {
        return;
    }
    SetTwipsGeometry(Picture1, 0, 0, WidthTwips(), HeightTwips());
    m_lane.run(LaneKind::Placement, PlaceVideoInPicture1());
}

void Form1::RestoreForm()
{
    if (!IsMaximized()) {
        return;
    }
    setWindowState(windowState() & ~Qt::WindowMaximized);
    // A window manager may not give back the exact rectangle it had before, and without one
    // nothing would: put it back ourselves.
    if (m_normalGeometry.isValid()) {
        setGeometry(m_normalGeometry);
    }
}

Form1::Procedure Form1::PlaceVideoInPicture1()
{
    // Width and height 0: the media layer takes Picture1's present size.
    int32_t width = 0;
    int32_t height = 0;
    mResult = co_await Media.PlaceVideoWindow(Picture1->WindowHandle(), mAlias, 0, 0, width, height);
}

Form1::Procedure Form1::GoFullscreen()
{
    MaximizeOverPicture1();
    txtfull->setFocus();
    co_await PlaceVideoInPicture1();
}

void Form1::txtfull_KeyDown(int keyCode, int /*shift*/)
{
    switch (keyCode) {
    case virtual_key::kF1: m_lane.run(LaneKind::Play, FullscreenKey(keyCode)); break;
    case virtual_key::kEscape:
    case virtual_key::kF2:
    case virtual_key::kF3:
    case virtual_key::kF4: m_lane.run(LaneKind::Transport, FullscreenKey(keyCode)); break;
    default: break;
    }
}

Form1::Procedure Form1::FullscreenKey(int keyCode)
{
    switch (keyCode) {
    case virtual_key::kEscape: co_await LeaveFullscreen(); break;
    case virtual_key::kF1: co_await PlaySelectedFullscreen(); break;
    case virtual_key::kF2: co_await PausePlayback(); break;
    case virtual_key::kF3: co_await StopAndLeaveFullscreen(); break;
    case virtual_key::kF4: co_await SlowMotion(); break;
    default: break;
    }
}

// Esc: back to the normal window sized for the video stored at the start, fitted to the work
// area as when it started; playback goes on.
Form1::Procedure Form1::LeaveFullscreen()
{
    SetTwipsGeometry(Picture1, LeftTwips(Picture1), form1::kNormalHeightTwips, WidthTwips(Picture1),
                     HeightTwips(Picture1));
    RestoreForm();
    const int32_t cx = co_await Media.GetVideoSize(mAlias, "cx");
    if (cx != -1) {
        ArrangeNormalWindow(mVideoCx, mVideoCy);
    } else {
        ArrangeNormalWindow(-1, -1);
    }
    co_await PlaceVideoInPicture1();
    List1->setFocus();
}

// F3: stop, and back to the normal window at the size it had before; the picture goes to a
// fixed place below the visible area with the stored video's size, fitted as the normal window
// fits it.
Form1::Procedure Form1::StopAndLeaveFullscreen()
{
    const bool wasStopped = m_playback.status == PlaybackStatus::Stopped;
    ReleasePause();
    mResult = co_await Media.StopMedia(mAlias);
    ShowResult();
    const bool hasVideo = mVideoCx != -1 && mVideoCy != -1;
    const zelko::player::VideoFit fit = FitToWorkArea(mVideoCx, mVideoCy);
    SetTwipsGeometry(Picture1, kStoppedPictureLeftTwips, kStoppedPictureTopTwips,
                     hasVideo ? fit.widthTwips : WidthTwips(Picture1),
                     hasVideo ? fit.heightTwips : HeightTwips(Picture1));
    co_await PlaceVideoInPicture1();
    RestoreForm();
    List1->setFocus();
    TimerMisc->stop();
    SetStatus(PlaybackStatus::Stopped);
    if (!wasStopped) {
        emit m_facade->PlaybackChanged();
    }
}

}  // namespace zelko
