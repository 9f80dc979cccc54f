// SPDX-License-Identifier: GPL-3.0-or-later
// The playback record and what reads it: the latched Pause and Slow Motion buttons show it, and
// the desktop's state is built from it and from the controls that hold the rest.
#include <QCheckBox>
#include <QEvent>
#include <QListWidget>

#include "player/controls/asx_toolbar.h"
#include "player/form1.h"
#include "player/form1_constants.h"
#include "player/form1_facade.h"

namespace zelko {

void Form1::SetStatus(PlaybackStatus status)
{
    m_playback.status = status;
    asxToolbar1->SetButtonPressed(form1::kPauseButton, status == PlaybackStatus::Paused);
    m_position.Run(status == PlaybackStatus::Playing);
}

void Form1::ReleasePause()
{
    if (m_playback.status == PlaybackStatus::Paused) {
        SetStatus(PlaybackStatus::Stopped);
    }
}

void Form1::SetSlowMotion(bool on)
{
    m_playback.slowMotion = on;
    asxToolbar1->SetButtonPressed(form1::kSlowMotionButton, on);
}

Player::State Form1::CurrentState() const
{
    Player::State state;
    state.status = m_playback.status;
    state.slowMotion = m_playback.slowMotion;
    state.open = m_playback.open;
    state.track = m_playback.track;
    state.title = m_playback.title;
    state.path = m_playback.path;
    state.volume = m_playback.volume;
    state.lengthSeconds = mTotalSeconds;
    state.totalFrames = mTotalFrames;
    state.video = mVideoCx != -1;
    state.entry = List1->currentRow();
    state.entries = List1->count();
    state.autoReplay = Check->isChecked();
    state.fullscreen = IsMaximized();
    return state;
}

int32_t Form1::PositionFrame() const
{
    if (!m_playback.open) {
        return -1;
    }
    return m_position.FrameNow(mTotalFrames);
}

void Form1::ConnectView()
{
    connect(Check, &QCheckBox::toggled, m_facade, &Player::ViewChanged);
    connect(List1, &QListWidget::currentRowChanged, m_facade, &Player::ViewChanged);
    const QAbstractItemModel* entries = List1->model();
    connect(entries, &QAbstractItemModel::rowsInserted, m_facade, &Player::ViewChanged);
    connect(entries, &QAbstractItemModel::rowsRemoved, m_facade, &Player::ViewChanged);
    connect(entries, &QAbstractItemModel::modelReset, m_facade, &Player::ViewChanged);
}

void Form1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        emit m_facade->ViewChanged();
    }
    QWidget::changeEvent(event);
}

}  // namespace zelko
