// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop reads of the window and the few commands it runs besides the handlers.
#include <QCheckBox>
#include <QEvent>
#include <QListWidget>

#include "player/controls/asx_toolbar.h"
#include "player/form1.h"
#include "player/form1_constants.h"

namespace zelko {

Form1::View Form1::CurrentView() const
{
    View view;
    static_cast<Playback&>(view) = m_playback;
    view.entry = List1->currentRow();
    view.entries = List1->count();
    view.lengthSeconds = mTotalSeconds;
    view.totalFrames = mTotalFrames;
    view.video = mVideoCx != -1;
    view.paused = asxToolbar1->ButtonPressed(form1::kPauseButton);
    view.slowMotion = asxToolbar1->ButtonPressed(form1::kSlowMotionButton);
    view.autoReplay = Check->isChecked();
    view.fullscreen = IsMaximized();
    return view;
}

int32_t Form1::PositionFrame()
{
    return Media.GetCurrentFrame(mAlias);
}

void Form1::SelectEntry(int row)
{
    List1->setCurrentRow(row);
}

void Form1::SetAutoReplay(bool on)
{
    Check->setChecked(on);
}

void Form1::AcceptDrops(QObject* filter)
{
    // List1 would take a drop for itself (its own entries moved around); the rest of the
    // window's controls take none, so their drops reach the window.
    for (QWidget* target : {static_cast<QWidget*>(this), List1->viewport()}) {
        target->setAcceptDrops(true);
        target->installEventFilter(filter);
    }
}

void Form1::ConnectView()
{
    connect(Check, &QCheckBox::toggled, this, &Form1::ViewChanged);
    connect(List1, &QListWidget::currentRowChanged, this, &Form1::ViewChanged);
    const QAbstractItemModel* entries = List1->model();
    connect(entries, &QAbstractItemModel::rowsInserted, this, &Form1::ViewChanged);
    connect(entries, &QAbstractItemModel::rowsRemoved, this, &Form1::ViewChanged);
    connect(entries, &QAbstractItemModel::modelReset, this, &Form1::ViewChanged);
}

void Form1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        emit ViewChanged();
    }
    QWidget::changeEvent(event);
}

}  // namespace zelko
