// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/form1_facade.h"

#include <QCheckBox>
#include <QListWidget>

namespace zelko {

Form1::Facade::Facade(Form1& form) : Player(&form), m_form(form) {}

Player::State Form1::Facade::Now() const
{
    return m_form.CurrentState();
}

int32_t Form1::Facade::PositionFrame()
{
    return m_form.PositionFrame();
}

// Each command goes into the window's lane as its button's or key's would; see MediaLane.

void Form1::Facade::PlayEntry(int row)
{
    // The click before a double-click selects the entry; the play procedures take the selection.
    m_form.List1->setCurrentRow(row);
    m_form.m_lane.run(LaneKind::Play, m_form.PlayEntryInCurrentMode());
}

void Form1::Facade::PlayNext()
{
    // The next entry is chosen now, from the selection the user sees, as PlayEntry's is.
    if (m_form.SelectNextEntry()) {
        m_form.m_lane.run(LaneKind::Play, m_form.PlayEntryInCurrentMode());
    }
}

void Form1::Facade::TogglePause()
{
    m_form.m_lane.run(LaneKind::Transport, m_form.PausePlayback());
}

void Form1::Facade::Stop()
{
    m_form.m_lane.run(LaneKind::Transport, m_form.StopPlayback());
}

void Form1::Facade::ToggleSlowMotion()
{
    m_form.m_lane.run(LaneKind::Transport, m_form.SlowMotion());
}

void Form1::Facade::SeekToFrame(int32_t frame)
{
    m_form.m_lane.run(LaneKind::Seek, m_form.SeekTo(frame));
}

void Form1::Facade::SetVolume(int32_t volume)
{
    m_form.m_lane.run(LaneKind::Transport, m_form.SetVolume(volume));
}

void Form1::Facade::SetAutoReplay(bool on)
{
    m_form.Check->setChecked(on);
}

void Form1::Facade::SetFullscreen(bool on)
{
    if (on == m_form.IsMaximized()) {
        return;
    }
    if (on) {
        m_form.m_lane.run(LaneKind::Transport, m_form.GoFullscreen());
    } else {
        m_form.m_lane.run(LaneKind::Transport, m_form.LeaveFullscreen());
    }
}

void Form1::Facade::AppendEntry(const QByteArray& title, const QByteArray& path)
{
    m_form.AppendEntry(title, path);
}

void Form1::Facade::AcceptDrops(QObject* filter)
{
    // List1 would take a drop for itself (its own entries moved around); the rest of the
    // window's controls take none, so their drops reach the window.
    for (QWidget* target : {static_cast<QWidget*>(&m_form), m_form.List1->viewport()}) {
        target->setAcceptDrops(true);
        target->installEventFilter(filter);
    }
}

void Form1::Facade::Raise()
{
    m_form.setWindowState((m_form.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_form.show();
    m_form.raise();
    m_form.activateWindow();
}

void Form1::Facade::Close()
{
    m_form.close();
}

quintptr Form1::Facade::NativeWindow()
{
    return static_cast<quintptr>(m_form.winId());
}

}  // namespace zelko
