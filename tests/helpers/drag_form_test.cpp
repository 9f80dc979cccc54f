#include "helpers/mod_drag_form.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace {

// The main window's arrangement in small: a frameless window with a video-area child whose
// left-button press hands the window to DragForm, as Picture1's handler does.
class PressToDrag : public QWidget {
public:
    using QWidget::QWidget;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++presses;
        if (event->button() == Qt::LeftButton) ModDragForm::DragForm(this);
    }
};

}  // namespace

TEST(DragForm, APressOnAChildMovesTheWholeWindowUntilRelease) {
    QWidget form(nullptr, Qt::FramelessWindowHint);
    form.setGeometry(100, 100, 460, 238);
    PressToDrag video(&form);
    video.setGeometry(77, 50, 200, 150);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QWindow* window = form.windowHandle();
    const QPoint videoGeometry = video.pos();

    // The pointer works on the window as the window system reports it.
    const QPoint press = video.mapTo(&form, QPoint(20, 20));
    QTest::mousePress(window, Qt::LeftButton, {}, press);
    ASSERT_EQ(video.presses, 1);
    const QPoint start = form.pos();
    QTest::mouseMove(window, press + QPoint(30, 10));
    const QPoint afterFirst = form.pos();
    QTest::mouseMove(window, press + QPoint(70, 40));  // window-relative: the window moved by 30, 10
    EXPECT_NE(afterFirst, start);
    QTest::mouseRelease(window, Qt::LeftButton, {}, press + QPoint(70, 40) - (afterFirst - start));
    const QPoint dropped = form.pos();
    EXPECT_NE(dropped, start);
    EXPECT_EQ(video.pos(), videoGeometry);  // the child stays where it was in the window

    // After the release the pointer no longer carries the window.
    QTest::mouseMove(window, QPoint(5, 5));
    EXPECT_EQ(form.pos(), dropped);
}

TEST(DragForm, NullFormIsIgnored) { ModDragForm::DragForm(nullptr); }
