// Window rectangles and the pointer-following window move, on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "platform/window_move.h"
#include "platform/window_rect.h"

using zelko::platform::WindowRect;

namespace {

class QtWindows : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "window_rect_test";
        static char* argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
    }
};

TEST_F(QtWindows, RectOfANativeChildIsItsGlobalGeometry)
{
    QWidget top;
    top.setGeometry(100, 50, 800, 600);
    QWidget child(&top);
    child.setGeometry(30, 40, 640, 480);
    child.setAttribute(Qt::WA_NativeWindow);
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));

    WindowRect rect;
    ASSERT_TRUE(zelko::platform::getWindowRect(static_cast<int64_t>(child.winId()), rect));
    QPoint origin = child.mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(rect.left, origin.x());
    EXPECT_EQ(rect.top, origin.y());
    EXPECT_EQ(rect.right - rect.left, 640);
    EXPECT_EQ(rect.bottom - rect.top, 480);
}

TEST_F(QtWindows, UnknownHandleLeavesTheRectAlone)
{
    WindowRect rect{1, 2, 3, 4};
    EXPECT_FALSE(zelko::platform::getWindowRect(0, rect));
    EXPECT_FALSE(zelko::platform::getWindowRect(987654321, rect));
    EXPECT_FALSE(zelko::platform::getWindowRect(-1, rect));
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.bottom, 4);
}

// A window whose press starts a move, as Form1's background does.
class DragSurface : public QWidget {
protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            zelko::platform::startWindowMove(this);
    }
};

TEST_F(QtWindows, WithoutAWindowManagerTheWindowFollowsThePointerUntilRelease)
{
    DragSurface top;
    top.setGeometry(100, 100, 300, 200);
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    QWindow* window = top.windowHandle();
    QPoint start = top.pos();
    QPoint origin = top.mapToGlobal(QPoint(0, 0));

    QCursor::setPos(top.mapToGlobal(QPoint(50, 50)));
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(window, QPoint(80, 70));
    EXPECT_EQ(top.pos(), start + QPoint(30, 20));
    QTest::mouseRelease(window, Qt::LeftButton, {}, top.mapFromGlobal(origin + QPoint(90, 80)));
    EXPECT_EQ(top.pos(), start + QPoint(40, 30));

    // After the release the window stays where it was left.
    QPoint left = top.pos();
    QTest::mouseMove(window, QPoint(10, 10));
    EXPECT_EQ(top.pos(), left);
}

TEST_F(QtWindows, MoveWithTheButtonUpDoesNothing)
{
    QWidget top;
    top.setGeometry(100, 100, 300, 200);
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    QPoint start = top.pos();
    zelko::platform::startWindowMove(&top);
    QTest::mouseMove(top.windowHandle(), QPoint(120, 90));
    EXPECT_EQ(top.pos(), start);
    zelko::platform::startWindowMove(nullptr);
}

}  // namespace
