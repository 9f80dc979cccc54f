// What stands in for the missing caption bar: the window is dragged by its background or its
// video area, and the playing file's name scrolls along a wave in Picture2.
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <utility>

#include "helpers/bas_scroller.h"
#include "helpers/mod_drag_form.h"
#include "helpers/picture_box.h"
#include "player/form1.h"

void Form1::mousePressEvent(QMouseEvent* event)
{
    // Presses that a control leaves unhandled come up to the window too; only a press on the
    // window's own background counts as one on the form.
    event->accept();
    if (!childAt(event->position().toPoint()))
        Form_MouseDown(event->button());
}

void Form1::Form_MouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        ModDragForm::DragForm(this);
}

void Form1::Picture1_MouseDown(Qt::MouseButton button)
{
    // The whole window moves, not the picture box inside it.
    if (button == Qt::LeftButton)
        ModDragForm::DragForm(this);
}

void Form1::Timerscroll_Timer()
{
    // A pass for a long name outlasts the interval; a tick that comes during a pass (the pass
    // processes events between its steps) is dropped, so passes never pile up.
    if (m_scrolling || m_unloaded)
        return;
    m_scrolling = true;
    const QPointer<Form1> alive(this);
    basScroller::ScrollText(Picture2, Lbname->text(), 12, 3.0, 0.1, 0xFF0000);
    if (alive)
        m_scrolling = false;
}

void Form1::EndTitlePass()
{
    // The scroller ends its pass at its next step once its target is destroyed; the window is
    // closing, so the strip goes now rather than the pass keeping the program alive.
    if (m_scrolling)
        delete std::exchange(Picture2, nullptr);
    else
        Picture2->hide();
}
