// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/window_rect.h"

#include <QApplication>
#include <QWidget>

namespace zelko::platform {

bool getWindowRect(int64_t windowHandle, WindowRect& rect)
{
    // Widgets live on the UI thread; without an application there is no window to name.
    if (windowHandle <= 0 || !qApp) {
        return false;
    }
    QWidget* widget = QWidget::find(static_cast<WId>(windowHandle));
    if (!widget) {
        return false;
    }
    // Logical pixels, the unit the window is laid out in and the engine's rectangles take; the
    // engine turns them into the window's device pixels itself.
    const QPoint topLeft = widget->mapToGlobal(QPoint(0, 0));
    rect.left = topLeft.x();
    rect.top = topLeft.y();
    rect.right = rect.left + widget->width();
    rect.bottom = rect.top + widget->height();
    return true;
}

}  // namespace zelko::platform
