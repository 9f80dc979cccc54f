// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/controls/cpv_slider.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>

#include <cmath>
#include <tuple>

namespace zelko {

namespace {

class CpvSliderTest : public testing::Test {
protected:
    void SetUp() override
    {
        slider.resize(226, 16);  // 3390 x 240 twips
        slider.show();
    }
    // The user's pointer at x: a real mouse event delivered through the application.
    void mouse(QEvent::Type type, int x, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPointF pos(x, 8);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, pos, slider.mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&slider, &event);
    }
    int x(int value) const { return slider.XForValue(value); }

    CpvSlider slider;
    QSignalSpy moved{&slider, &CpvSlider::ThumbMoved};
};

}  // namespace

TEST_F(CpvSliderTest, PutsNeverRaiseThumbMovedAndAreClamped)
{
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

// What ThumbMoved carried so far, once the event loop has run the raises that are due.
static QList<int> Raised(QSignalSpy& moved)
{
    QCoreApplication::processEvents();
    QList<int> values;
    for (const QList<QVariant>& raise : moved) {
        values << raise.at(0).toInt();
    }
    return values;
}

TEST_F(CpvSliderTest, TheThumbRaisesThumbMovedAsItMovesAndABurstOfMovesRaisesOnce)
{
    slider.SetValue(20);
    mouse(QEvent::MouseButtonPress, x(20));
    for (int value : {40, 60}) {
        mouse(QEvent::MouseMove, x(value));
        EXPECT_EQ(Raised(moved).size(), value == 40 ? 1 : 2) << "raised while the button is held";
    }
    slider.SetValue(12);  // the monitor's tick during the drag does not yank the thumb back
    EXPECT_EQ(slider.Value(), 60);
    mouse(QEvent::MouseButtonRelease, x(80));
    EXPECT_EQ(Raised(moved), (QList<int>{40, 60, 80}));

    // Moves that come while the handler is busy (nothing runs the loop): one raise, at the
    // thumb's last place; until it is raised, a tick does not move the thumb either.
    moved.clear();
    mouse(QEvent::MouseButtonPress, x(80));
    for (int value : {70, 50, 30}) {
        mouse(QEvent::MouseMove, x(value));
    }
    mouse(QEvent::MouseButtonRelease, x(10));
    slider.SetValue(77);
    EXPECT_EQ(Raised(moved), (QList<int>{10}));

    // A click on the rail raises its place; a click on the thumb that moves nothing and the
    // right button raise nothing; a drag past the end stops at the range.
    moved.clear();
    for (int repeat = 0; repeat < 2; ++repeat) {  // the rail, then the thumb now standing there
        mouse(QEvent::MouseButtonPress, x(75));
        mouse(QEvent::MouseButtonRelease, x(75));
        EXPECT_EQ(Raised(moved), QList<int>{75});
    }
    mouse(QEvent::MouseButtonPress, x(10), Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, x(10), Qt::RightButton);
    mouse(QEvent::MouseButtonPress, x(75));
    mouse(QEvent::MouseMove, 400);
    mouse(QEvent::MouseButtonRelease, 400);
    EXPECT_EQ(Raised(moved), (QList<int>{75, 100}));
}

TEST_F(CpvSliderTest, HidingMidDragDropsTheGesture)
{
    slider.SetValue(10);
    mouse(QEvent::MouseButtonPress, x(60));  // a click on the rail, cut short
    slider.hide();
    slider.SetValue(15);
    EXPECT_EQ(slider.Value(), 15);
    EXPECT_EQ(Raised(moved), QList<int>{}) << "what the gesture had not raised yet is dropped";
}

// A screen reader reads the slider's range and value and sets it as the user does; whatever
// else it sends (a text, a NaN, a number far outside) moves nothing or stops at the rail's end.
TEST_F(CpvSliderTest, AScreenReaderReadsTheRangeAndSetsTheValueAsTheThumbDoes)
{
    slider.SetRange(0, 200);
    slider.SetValue(30);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&slider);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Slider);
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 30);
    EXPECT_EQ(
        std::tuple(value->minimumValue().toInt(), value->maximumValue().toInt(), value->minimumStepSize().toInt()),
        std::tuple(0, 200, 1));
    for (const QVariant& ignored : {QVariant(QStringLiteral("far")), QVariant(std::nan(""))}) {
        value->setCurrentValue(ignored);
    }
    EXPECT_EQ(Raised(moved), QList<int>());
    value->setCurrentValue(41.6);
    EXPECT_EQ(Raised(moved), QList<int>({42}));
    value->setCurrentValue(1e12);
    EXPECT_EQ(Raised(moved), QList<int>({42, 200}));
    value->setCurrentValue(QStringLiteral("-3"));
    EXPECT_EQ(Raised(moved), QList<int>({42, 200, 0}));
}

}  // namespace zelko
