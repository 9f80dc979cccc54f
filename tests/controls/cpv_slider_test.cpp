#include "player/controls/cpv_slider.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "player/controls/slider_images.h"
#include "tests/helpers/slider_gestures.h"

namespace {

using zelko::test::ClickRailAt;
using zelko::test::DragThumbTo;

void mouse(QWidget& w, QEvent::Type type, int x, Qt::MouseButton button = Qt::LeftButton) {
    zelko::test::sendMouse(w, type, x, button);
}

void drag(CpvSlider& slider, int fromX, std::initializer_list<int> path) {
    mouse(slider, QEvent::MouseButtonPress, fromX);
    int last = fromX;
    for (int x : path) mouse(slider, QEvent::MouseMove, last = x);
    mouse(slider, QEvent::MouseButtonRelease, last);
}

class CpvSliderTest : public testing::Test {
protected:
    void SetUp() override {
        slider.resize(226, 16);  // 3390 x 240 twips
        slider.show();
    }
    CpvSlider slider;
    QSignalSpy moved{&slider, &CpvSlider::ThumbMoved};
};

}  // namespace

TEST_F(CpvSliderTest, StartsAtMinusOneInTheRangeMinusOneTo100) {
    EXPECT_EQ(slider.Min(), -1);
    EXPECT_EQ(slider.Max(), 100);
    EXPECT_EQ(slider.Value(), -1);
    EXPECT_EQ(slider.ThumbRect(), QRect(0, 0, 16, 16));
}

TEST_F(CpvSliderTest, PutsNeverRaiseThumbMovedAndAreClamped) {
    struct Case {
        int put;
        int held;
    };
    for (const Case c : {Case{50, 50}, Case{50, 50}, Case{-1, -1}, Case{100, 100}, Case{250, 100}, Case{-7, -1}}) {
        slider.SetValue(c.put);
        EXPECT_EQ(slider.Value(), c.held) << c.put;
    }
    slider.SetRange(0, 10);
    EXPECT_EQ(slider.Value(), 0);
    slider.SetRange(20, 5);  // swapped
    EXPECT_EQ(slider.Min(), 5);
    EXPECT_EQ(slider.Max(), 20);
    EXPECT_EQ(slider.Value(), 5);
    EXPECT_EQ(moved.count(), 0);
}

TEST_F(CpvSliderTest, ThumbFollowsTheValueAlongTheRail) {
    slider.SetValue(-1);
    EXPECT_EQ(slider.ThumbRect().left(), 0);
    slider.SetValue(100);
    EXPECT_EQ(slider.ThumbRect().right(), 225);
    slider.SetValue(50);
    EXPECT_NEAR(slider.ThumbRect().center().x(), 113, 2);
}

TEST_F(CpvSliderTest, DraggingTheThumbRaisesOneThumbMovedOnRelease) {
    slider.SetValue(20);
    mouse(slider, QEvent::MouseButtonPress, slider.XForValue(20));
    mouse(slider, QEvent::MouseMove, slider.XForValue(40));
    mouse(slider, QEvent::MouseMove, slider.XForValue(80));
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(slider.Value(), 80);  // the thumb follows the pointer while held
    mouse(slider, QEvent::MouseButtonRelease, slider.XForValue(80));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 80);
    EXPECT_EQ(slider.Value(), 80);
}

TEST_F(CpvSliderTest, ClickOnTheRailMovesTheThumbThereAndRaisesThumbMoved) {
    slider.SetValue(10);
    ClickRailAt(slider, 75);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 75);
    EXPECT_EQ(slider.Value(), 75);
}

TEST_F(CpvSliderTest, GesturesThatMoveNothingRaiseNothing) {
    slider.SetValue(30);
    drag(slider, slider.XForValue(30), {});  // press and release on the thumb
    drag(slider, slider.XForValue(30), {slider.XForValue(60), slider.XForValue(30)});
    mouse(slider, QEvent::MouseButtonPress, slider.XForValue(90), Qt::RightButton);
    mouse(slider, QEvent::MouseButtonRelease, slider.XForValue(90), Qt::RightButton);
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(slider.Value(), 30);
}

TEST_F(CpvSliderTest, DragPastTheEndsStopsAtTheRange) {
    slider.SetValue(50);
    drag(slider, slider.XForValue(50), {400});
    EXPECT_EQ(slider.Value(), 100);
    drag(slider, slider.XForValue(100), {-300});
    EXPECT_EQ(slider.Value(), -1);
    ASSERT_EQ(moved.count(), 2);
    EXPECT_EQ(moved.at(1).at(0).toInt(), -1);
}

TEST_F(CpvSliderTest, TestGestureHelpersActAsTheUser) {
    slider.SetValue(0);
    DragThumbTo(slider, 64);
    ClickRailAt(slider, -1);
    ASSERT_EQ(moved.count(), 2);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 64);
    EXPECT_EQ(moved.at(1).at(0).toInt(), -1);
}

TEST_F(CpvSliderTest, PutsWhileTheUserHoldsTheThumbDoNotYankIt) {
    slider.SetValue(10);
    mouse(slider, QEvent::MouseButtonPress, slider.XForValue(10));
    mouse(slider, QEvent::MouseMove, slider.XForValue(60));
    slider.SetValue(12);  // the monitor's tick during the drag
    EXPECT_EQ(slider.Value(), 60);
    mouse(slider, QEvent::MouseButtonRelease, slider.XForValue(60));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 60);
    slider.SetValue(61);
    EXPECT_EQ(slider.Value(), 61);
}

TEST_F(CpvSliderTest, HidingMidDragDropsTheGesture) {
    slider.SetValue(10);
    mouse(slider, QEvent::MouseButtonPress, slider.XForValue(10));
    mouse(slider, QEvent::MouseMove, slider.XForValue(60));
    slider.hide();
    EXPECT_FALSE(slider.IsDragging());
    slider.SetValue(15);
    EXPECT_EQ(slider.Value(), 15);
    EXPECT_EQ(moved.count(), 0);
}

TEST_F(CpvSliderTest, DrawsOurRailAndThumb) {
    EXPECT_EQ(zelko::controls::RailImage().size(), QSize(222, 8));
    EXPECT_EQ(zelko::controls::ThumbImage().size(), QSize(16, 16));
    slider.SetValue(-1);
    const QImage image = slider.grab().toImage();
    // The rail's green line runs along the middle, the thumb's green centre sits on a silver disc.
    const QColor line = image.pixelColor(150, 7);
    EXPECT_GT(line.green(), 180);
    EXPECT_LT(line.red(), 60);
    const QColor centre = image.pixelColor(slider.ThumbRect().center());
    EXPECT_GT(centre.green(), 180);
    EXPECT_LT(centre.red(), 200);
    const QColor metal = image.pixelColor(slider.ThumbRect().center() + QPoint(-5, -1));
    EXPECT_GT(metal.red(), 150);
    EXPECT_NEAR(metal.red(), metal.green(), 20);
    EXPECT_NEAR(metal.green(), metal.blue(), 20);
    // Outside the rail the back colour shows.
    EXPECT_EQ(image.pixelColor(200, 0), QColor(Qt::black));
}
