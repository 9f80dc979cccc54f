// SPDX-License-Identifier: GPL-3.0-or-later
// What stands in for the missing caption bar: the window is dragged by its background or its
// video area, and the playing file's name scrolls along a wave in Picture2.
#include <QLabel>
#include <QMouseEvent>

#include "helpers/bas_scroller.h"
#include "helpers/mod_drag_form.h"
#include "helpers/picture_box.h"
#include "player/form1.h"

namespace zelko {

void Form1::mousePressEvent(QMouseEvent* event)
{
    // Presses that a control leaves unhandled come up to the window too; only a press on the
    // window's own background counts as one on the form.
    event->accept();
    if (!childAt(event->position().toPoint())) {
        Form_MouseDown(event->button());
    }
}

void Form1::Form_MouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) {
        ModDragForm::DragForm(this);
    }
}

void Form1::Picture1_MouseDown(Qt::MouseButton button)
{
    // The whole window moves, not the picture box inside it.
    if (button == Qt::LeftButton) {
        ModDragForm::DragForm(this);
    }
}

void Form1::Timerscroll_Timer()
{
    // A pass for a long name outlasts the interval; ScrollText drops a tick that comes while
    // the strip's pass still runs, so passes never pile up.
    if (m_unloaded) {
        return;
    }
    basScroller::ScrollText(Picture2, Lbname->text(), 12, 3.0, 0.1, 0xFF0000);
}

}  // namespace zelko
