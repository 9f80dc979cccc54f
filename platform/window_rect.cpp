#include "platform/window_rect.h"

#include <QApplication>
#include <QWidget>
#include <cmath>

namespace zelko::platform {

bool getWindowRect(int64_t windowHandle, WindowRect& rect)
{
    // Widgets live on the UI thread; without an application there is no window to name.
    if (windowHandle <= 0 || !qApp)
        return false;
    QWidget* widget = QWidget::find(static_cast<WId>(windowHandle));
    if (!widget)
        return false;
    // Native pixels, as the video sink draws in them.
    qreal ratio = widget->devicePixelRatioF();
    QPoint topLeft = widget->mapToGlobal(QPoint(0, 0));
    auto pixels = [ratio](int logical) { return static_cast<int32_t>(std::lround(logical * ratio)); };
    rect.left = pixels(topLeft.x());
    rect.top = pixels(topLeft.y());
    rect.right = rect.left + pixels(widget->width());
    rect.bottom = rect.top + pixels(widget->height());
    return true;
}

}  // namespace zelko::platform
