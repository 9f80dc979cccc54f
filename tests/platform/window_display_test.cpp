// SPDX-License-Identifier: GPL-3.0-or-later
// Window rectangles and the window move in a real X server, the move driven by real pointer
// events (xdotool): whether a window manager takes the move or the window follows the pointer
// itself, a drag on a child moves the whole window by the pointer's travel.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <tuple>

#include "platform/window_move.h"
#include "platform/window_rect.h"

namespace zelko {

namespace {

auto edges(const zelko::platform::WindowRect& r)
{
    return std::tuple(r.left, r.top, r.right, r.bottom);
}

// A video area whose left-button press starts a move, as Form1's does.
class DragSurface : public QWidget {
    using QWidget::QWidget;
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton) {
            zelko::platform::startWindowMove(this);
        }
    }
};

bool xdotool(QStringList arguments, QPoint at = {-1, -1})
{
    if (at.x() >= 0) {
        arguments << QString::number(at.x()) << QString::number(at.y());
    }
    return QProcess::execute("xdotool", arguments) == 0;
}

TEST(WindowsOnX, RectsAndTheDragOfTheWholeWindowWithTheRealPointer)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(200, 200, 300, 200);
    DragSurface video(&window);
    video.setGeometry(40, 40, 200, 150);
    video.setAttribute(Qt::WA_NativeWindow);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // A window manager may place the window elsewhere; the drag starts wherever it is.
    const QPoint start = window.pos(), origin = video.mapToGlobal(QPoint(0, 0));
    zelko::platform::WindowRect rect;
    ASSERT_TRUE(zelko::platform::getWindowRect(static_cast<int64_t>(video.winId()), rect));
    EXPECT_EQ(edges(rect), std::tuple(origin.x(), origin.y(), origin.x() + 200, origin.y() + 150));
    zelko::platform::WindowRect untouched;
    for (int64_t unknown : {0, 987654321, -1}) {
        EXPECT_FALSE(zelko::platform::getWindowRect(unknown, untouched));
    }
    EXPECT_EQ(edges(untouched), std::tuple(0, 0, 0, 0));

    auto buttonHeld = [] { return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0; };
    ASSERT_TRUE(xdotool({"mousemove", "--sync"}, origin + QPoint(10, 10)));
    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    ASSERT_TRUE(QTest::qWaitFor(buttonHeld, 5000));
    for (int step = 1; step <= 5; ++step) {
        ASSERT_TRUE(xdotool({"mousemove"}, origin + QPoint(10 + 20 * step, 10 + 10 * step)));
    }
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    // A window manager may only move the window when the button is released.
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.pos() == start + QPoint(100, 50); }, 5000));
    EXPECT_EQ(video.pos(), QPoint(40, 40));
}

}  // namespace

}  // namespace zelko
