#include "player/controls/cpv_slider.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>

namespace {

class CpvSliderTest : public testing::Test {
protected:
    void SetUp() override {
        slider.resize(226, 16);  // 3390 x 240 twips
        slider.show();
    }
    // The user's pointer at x: a real mouse event delivered through the application.
    void mouse(QEvent::Type type, int x, Qt::MouseButton button = Qt::LeftButton) {
        const QPointF pos(x, 8);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, pos, slider.mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button,
                          held, Qt::NoModifier);
        QApplication::sendEvent(&slider, &event);
    }
    int x(int value) const { return slider.XForValue(value); }

    CpvSlider slider;
    QSignalSpy moved{&slider, &CpvSlider::ThumbMoved};
};

}  // namespace

TEST_F(CpvSliderTest, PutsNeverRaiseThumbMovedAndAreClamped) {
    EXPECT_EQ(slider.Value(), -1);
    for (const auto& [put, held] : {std::pair(50, 50), std::pair(50, 50), std::pair(250, 100), std::pair(-7, -1)}) {
        slider.SetValue(put);
        EXPECT_EQ(slider.Value(), held) << put;
    }
    slider.SetRange(20, 5);  // swapped
    EXPECT_EQ(std::pair(slider.Min(), slider.Max()), std::pair(5, 20));
    EXPECT_EQ(slider.Value(), 5);
    EXPECT_EQ(moved.count(), 0);
}

TEST_F(CpvSliderTest, TheUsersDragOrClickRaisesOneThumbMovedOnRelease) {
    slider.SetValue(20);
    mouse(QEvent::MouseButtonPress, x(20));
    mouse(QEvent::MouseMove, x(80));
    slider.SetValue(12);  // the monitor's tick during the drag does not yank the thumb back
    EXPECT_EQ(slider.Value(), 80);
    EXPECT_EQ(moved.count(), 0);
    mouse(QEvent::MouseButtonRelease, x(80));
    mouse(QEvent::MouseButtonPress, x(75));  // a click on the rail
    mouse(QEvent::MouseButtonRelease, x(75));
    // Gestures that move nothing raise nothing: a click on the thumb, the right button.
    mouse(QEvent::MouseButtonPress, x(75));
    mouse(QEvent::MouseButtonRelease, x(75));
    mouse(QEvent::MouseButtonPress, x(10), Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, x(10), Qt::RightButton);
    // A drag past the end stops at the range.
    mouse(QEvent::MouseButtonPress, x(75));
    mouse(QEvent::MouseMove, 400);
    mouse(QEvent::MouseButtonRelease, 400);
    ASSERT_EQ(moved.count(), 3);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 80);
    EXPECT_EQ(moved.at(1).at(0).toInt(), 75);
    EXPECT_EQ(moved.at(2).at(0).toInt(), 100);
}

TEST_F(CpvSliderTest, HidingMidDragDropsTheGesture) {
    slider.SetValue(10);
    mouse(QEvent::MouseButtonPress, x(60));  // a click on the rail, cut short
    slider.hide();
    slider.SetValue(15);
    EXPECT_EQ(slider.Value(), 15);
    EXPECT_EQ(moved.count(), 0);
}
