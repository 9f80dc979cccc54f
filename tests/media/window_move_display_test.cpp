// The window move in a real X server, driven by real pointer events (xdotool): whether a window
// manager takes the move or the window follows the pointer itself, a drag moves the window by
// the pointer's travel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <cstdlib>

#include "platform/window_move.h"

namespace {

class DragSurface : public QWidget {
protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            zelko::platform::startWindowMove(this);
    }
};

bool xdotool(const QStringList& arguments)
{
    return QProcess::execute("xdotool", arguments) == 0;
}

// Processes events until the condition holds or the deadline passes.
template <typename Condition>
bool waitFor(Condition condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

TEST(WindowMoveDisplay, DragWithTheRealPointerMovesTheWindow)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X server";
    static int argc = 1;
    static char name[] = "window_move_display_test";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs Qt's X11 platform";

    DragSurface window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.setGeometry(200, 200, 300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // A window manager may place the window elsewhere; the drag starts wherever it is.
    QPoint start = window.pos();
    QPoint grab = window.mapToGlobal(QPoint(50, 50));

    ASSERT_TRUE(xdotool({"mousemove", "--sync", QString::number(grab.x()), QString::number(grab.y())}));
    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    ASSERT_TRUE(waitFor([] { return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0; }));
    for (int step = 1; step <= 5; ++step) {
        QPoint to = grab + QPoint(20 * step, 10 * step);
        ASSERT_TRUE(xdotool({"mousemove", QString::number(to.x()), QString::number(to.y())}));
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    // A window manager may only move the window when the button is released.
    EXPECT_TRUE(waitFor([&] { return window.pos() == start + QPoint(100, 50); }))
        << window.pos().x() << "," << window.pos().y() << " from " << start.x() << "," << start.y();
    ASSERT_TRUE(waitFor([] { return (QGuiApplication::mouseButtons() & Qt::LeftButton) == 0; }));

    // Once the button is up, the pointer moves alone.
    ASSERT_TRUE(xdotool({"mousemove", "--sync", "600", "600"}));
    QTest::qWait(100);
    EXPECT_EQ(window.pos(), start + QPoint(100, 50));
}

}  // namespace
