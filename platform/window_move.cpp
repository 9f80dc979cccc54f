// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/window_move.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace zelko::platform {
namespace {

// Moves a top-level window with the pointer while the left button stays down, for sessions
// with no window manager to do it. It watches the application's mouse events (the widget that
// took the press keeps the pointer while the button is held), so nothing grabs or loops.
// Runs on the UI thread; one move at a time.
class PointerMove final : public QObject {
public:
    PointerMove(QWidget* window, QPoint pointer) : m_window(window), m_offset(pointer - window->pos())
    {
        qApp->installEventFilter(this);
    }

    static void start(QWidget* window)
    {
        delete s_active;
        s_active = new PointerMove(window, QCursor::pos());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        QEvent::Type type = event->type();
        if (type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) {
            return false;
        }
        // The same event reaches the filter once per window it passes through; widgets only.
        if (!watched->isWidgetType()) {
            return false;
        }
        auto* mouse = static_cast<QMouseEvent*>(event);
        bool held = (mouse->buttons() & Qt::LeftButton) != 0;
        if (m_window && (type == QEvent::MouseMove || mouse->button() == Qt::LeftButton)) {
            m_window->move(mouse->globalPosition().toPoint() - m_offset);
        }
        if (!m_window || !held) {
            finish();
        }
        return false;
    }

private:
    void finish()
    {
        qApp->removeEventFilter(this);
        if (s_active == this) {
            s_active = nullptr;
        }
        deleteLater();
    }

    static inline PointerMove* s_active = nullptr;
    QPointer<QWidget> m_window;
    QPoint m_offset;
};

}  // namespace

void startWindowMove(QWidget* window)
{
    if (!window || !qApp) {
        return;
    }
    QWidget* top = window->window();
    QWindow* handle = top->windowHandle();
    if (handle && handle->startSystemMove()) {
        return;
    }
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        return;  // the button is already up: there is nothing to follow
    }
    PointerMove::start(top);
}

}  // namespace zelko::platform
