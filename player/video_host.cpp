// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/video_host.h"

#include <QMouseEvent>

#include "platform/video_parent.h"

namespace zelko {

VideoHost::VideoHost(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
}

int32_t VideoHost::WindowHandle()
{
    // X11 window ids are 29-bit numbers, so they fit the media layer's 32-bit handle.
    return static_cast<int32_t>(winId());
}

QPaintEngine* VideoHost::paintEngine() const
{
    return nullptr;
}

bool VideoHost::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // A new screen may scale differently, and the engine reads the ratio off the window.
    if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show ||
        event->type() == QEvent::ScreenChangeInternal) {
        prepareNativeWindow();
    }
    return handled;
}

void VideoHost::paintEvent(QPaintEvent*)
{
    // The server clears to the window's black background; the MCI engine sees the same expose
    // on the window and has its video sink draw the picture again.
}

void VideoHost::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit MouseDown(event->button());
}

void VideoHost::prepareNativeWindow()
{
    if (testAttribute(Qt::WA_WState_Created)) {
        zelko::platform::prepareVideoParent(static_cast<std::uintptr_t>(internalWinId()), devicePixelRatioF());
    }
}

}  // namespace zelko
