#include "player/video_host.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QMouseEvent>
#include <xcb/xcb.h>

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
    if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
        makeBackgroundBlack();
    return handled;
}

void VideoHost::paintEvent(QPaintEvent*)
{
    // The server clears to the window's black background and the video sink draws the rest.
}

void VideoHost::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit MouseDown(event->button());
}

void VideoHost::makeBackgroundBlack()
{
    // Only Qt's own X11 platform hands out a usable connection (offscreen may answer too).
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !testAttribute(Qt::WA_WState_Created))
        return;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto window = static_cast<xcb_window_t>(internalWinId());
    // Pixel 0 is black in every true-colour visual Qt picks for its windows.
    const uint32_t blackPixel = 0;
    xcb_change_window_attributes(connection, window, XCB_CW_BACK_PIXEL, &blackPixel);
    xcb_clear_area(connection, 0, window, 0, 0, 0, 0);
    xcb_flush(connection);
}
