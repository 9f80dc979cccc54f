// SPDX-License-Identifier: GPL-3.0-or-later
// Playback start: the selected playlist entry becomes the one open device, "movie", and plays,
// in the normal window (which grows to the video) or over the whole screen.
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "helpers/picture_box.h"
#include "platform/twips.h"
#include "platform/volume.h"
#include "player/controls/asx_toolbar.h"
#include "player/elapsed_time.h"
#include "player/form1.h"
#include "player/form1_constants.h"
#include "player/form1_facade.h"
#include "player/log.h"
#include "player/playlist_entries.h"
#include "player/video_host.h"

namespace zelko {

int Form1::SelectedIndex(const QListWidget* list)
{
    // The highlighted row, not the current one: Ctrl+click clears the highlight and leaves the
    // current row where it was, and the user sees no entry selected.
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

QString Form1::SelectedText(const QListWidget* list)
{
    const int index = SelectedIndex(list);
    return index >= 0 ? list->item(index)->text() : QString();
}

QByteArray Form1::SelectedBytes(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentRow() >= 0 ? list->item(list->currentRow()) : nullptr;
    return item ? playlist_entries::Bytes(item) : QByteArray();
}

void Form1::EnableTimer(QTimer* timer)
{
    // Enabling a running timer keeps its phase, as re-enabling a window timer does.
    if (!timer->isActive()) {
        timer->start();
    }
}

QRect Form1::WorkArea() const
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

zelko::player::VideoFit Form1::FitToWorkArea(int32_t cx, int32_t cy) const
{
    // Without a screen nothing limits the height but the picture area's width.
    const QRect area = WorkArea();
    return zelko::player::fitVideo(cx, cy, area.isValid() ? area.height() : INT_MAX / 2, devicePixelRatioF());
}

// The video area starts at the normal form's bottom edge, keeps a 315-twip margin below the
// video and is centred on the form's mid-line; a video too large for the picture area or the
// work area is shown smaller, its shape kept. Returns true when it is.
bool Form1::ArrangeNormalWindow(int32_t cx, int32_t cy)
{
    if (cx == -1) {
        SetHeightTwips(form1::kNormalHeightTwips);
        return false;
    }
    const zelko::player::VideoFit fit = FitToWorkArea(cx, cy);
    SetHeightTwips(fit.formHeightTwips);
    SetTwipsGeometry(Picture1, fit.leftTwips, TopTwips(Picture1), fit.widthTwips, fit.heightTwips);
    KeepInsideWorkArea();
    return fit.scaled;
}

// The grown window moves up or left only as far as it must to end inside the work area, as a
// window manager places a window; it has no frame, so its geometry is its whole extent.
void Form1::KeepInsideWorkArea()
{
    const QRect area = WorkArea();
    if (!area.isValid() || IsMaximized()) {
        return;
    }
    const QPoint at = pos();
    const int x = std::max(std::min(at.x(), area.right() + 1 - width()), std::min(at.x(), area.left()));
    const int y = std::max(std::min(at.y(), area.bottom() + 1 - height()), std::min(at.y(), area.top()));
    if (QPoint(x, y) != at) {
        move(x, y);
    }
}

// What both play procedures do before they play; they differ in when the Pause button is
// released. The open's result is shown but not tested: after a failed open the queries below
// give -1 and the labels show it. Returns the open's result.
zelko::media::Task<std::string> Form1::OpenSelectedAndFillLabels(PauseRelease release)
{
    mResult = co_await Media.CloseAllMedia();
    mAlias = "movie";
    mDeviceType = "MPEGVideo";
    if (release == PauseRelease::AfterAlias) {
        ReleasePause();
    }
    // The path goes to the engine as the bytes pl2.txt or the dialog gave: a name that is not
    // UTF-8 still names its file.
    const QByteArray path = SelectedBytes(List2);
    {
        // A new play request need not wait for a file that takes its time to open.
        const zelko::player::MediaLane::Abandonable opening(m_lane);
        mResult = co_await Media.OpenMedia(Picture1->WindowHandle(), mAlias, path.toStdString(), mDeviceType);
    }
    const std::string opened = mResult;
    m_openFailure = opened == "Success" ? zelko::media::ModuleMultimedia::Failure{} : Media.LastFailure();
    qCDebug(lcPlayer) << "open" << path << "->" << opened.c_str();
    m_playback.open = opened == "Success";
    m_playback.title = SelectedText(List1);
    m_playback.path = path;
    if (m_playback.open) {
        ++m_playback.track;
        // A volume the desktop set carries over to this file; the open's result stays shown.
        // A window that keeps the volume every open starts with sends none at all.
        if (m_playback.volume != platform::kFullVolume) {
            co_await Media.SetVolume(mAlias, m_playback.volume);
        }
    }
    ShowResult();
    Lbname->setText(SelectedText(List1));
    Picture2->setAccessibleName(Lbname->text());  // what a screen reader reads on the title strip
    if (release == PauseRelease::AfterName) {
        ReleasePause();
    }
    mVideoCx = co_await Media.GetVideoSize(mAlias, "cx");
    mVideoCy = co_await Media.GetVideoSize(mAlias, "cy");
    const int32_t actualCx = co_await Media.GetVideoSize(mAlias, "cx");
    LbActualCx->setText(QString::number(actualCx));
    const int32_t actualCy = co_await Media.GetVideoSize(mAlias, "cy");
    LbActualCy->setText(QString::number(actualCy));
    const int32_t framesPerSecond = co_await Media.GetFramesPerSecond(mAlias);
    LbFramesPerSecond->setText(QString::number(framesPerSecond));
    const int32_t totalFrames = co_await Media.GetTotalFrames(mAlias);
    mTotalFrames = totalFrames;
    LbTotalFrames->setText(QString::number(totalFrames));

    const int32_t lengthMs = co_await Media.GetLengthMs(mAlias);
    const zelko::player::LengthBreakdown length = zelko::player::breakDownLength(lengthMs);
    mTotalSeconds = length.totalSeconds;
    mTotalMinutes = length.minutes;
    mTotalSecondsText = length.secondsText;

    const int32_t speed = co_await Media.GetPlaybackSpeed(mAlias);
    LbCurrentRate->setText(QString::number(speed) + QStringLiteral(" %"));
    co_return opened;
}

// After a play request's play command: playback is what its result says. A file that did not
// play is told once, with the result of the step that failed; a request with nothing selected
// names no file and tells nothing.
bool Form1::PlayStarted(const std::string& openResult)
{
    const bool playing = mResult == "Success";
    // A new file starts at its beginning, at its own speed whatever Slow Motion shows.
    m_position.Restart(mTotalSeconds > 0 ? mTotalFrames / mTotalSeconds : 0);
    SetStatus(playing ? PlaybackStatus::Playing : PlaybackStatus::Stopped);
    if (!playing && !m_playback.path.isEmpty()) {
        const std::string& failure = openResult != "Success" ? openResult : mResult;
        const std::string& decoder =
            openResult != "Success" ? m_openFailure.missingDecoder : Media.LastFailure().missingDecoder;
        emit m_facade->PlayFailed(m_playback.title, m_playback.path,
                                  {QString::fromStdString(failure), QString::fromStdString(decoder)});
    }
    emit m_facade->PlaybackChanged();
    return playing;
}

Form1::Procedure Form1::PlaySelected()
{
    const std::string opened = co_await OpenSelectedAndFillLabels(PauseRelease::AfterName);
    mResult = co_await Media.PlayMedia(mAlias, "", "");
    ShowResult();
    EnableTimer(TimerAtEndFile);
    if (!PlayStarted(opened)) {
        co_return;
    }
    EnableTimer(TimerMisc);
    const int32_t videoCx = co_await Media.GetVideoSize(mAlias, "cx");
    if (videoCx == -1) {
        ArrangeNormalWindow(-1, -1);
    } else {
        const int32_t cx = co_await Media.GetVideoSize(mAlias, "cx");
        const int32_t cy = co_await Media.GetVideoSize(mAlias, "cy");
        // The engine draws at the video's own size until told another; a fitted picture is
        // scaled by the sink. The play's result stays the one shown.
        if (ArrangeNormalWindow(cx, cy)) {
            int32_t width = Picture1->width();
            int32_t height = Picture1->height();
            co_await Media.PlaceVideoWindow(Picture1->WindowHandle(), mAlias, 0, 0, width, height);
        }
    }
    EnableTimer(TimerAtEndFile);
    EnableTimer(Timerscroll);
}

// Leaves TimerAtEndFile alone: it runs already when this is reached from its own tick or from
// a key in fullscreen mode.
Form1::Procedure Form1::PlaySelectedFullscreen()
{
    ReleasePause();
    const std::string opened = co_await OpenSelectedAndFillLabels(PauseRelease::AfterAlias);
    mResult = co_await Media.PlayMedia(mAlias, "", "");
    ShowResult();
    if (!PlayStarted(opened)) {
        co_return;
    }
    EnableTimer(TimerMisc);
    MaximizeOverPicture1();
    co_await PlaceVideoInPicture1();
    txtfull->setFocus();
    EnableTimer(Timerscroll);
}

}  // namespace zelko
