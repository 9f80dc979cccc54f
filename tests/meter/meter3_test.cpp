// SPDX-License-Identifier: GPL-3.0-or-later
#include "meter/meter3.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QSignalSpy>

#include <tuple>

namespace zelko {

namespace {

// The LED colours: RGB(0, 255, 0) lit, RGB(0, 128, 0) unlit, black lines.
constexpr QRgb kLitGreen = 0xff00ff00;
constexpr QRgb kUnlitGreen = 0xff008000;
constexpr QRgb kBlack = 0xff000000;

// Segment k sits at 120 + 60k twips (8 + 4k pixels), 5 x 20 pixels, sharing its border lines
// with its neighbours: the inside is one flat colour, lit for the first `lit`, the lines black.
void expectLit(Meter3& meter, int lit)
{
    const QImage image = meter.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int k = 0; k < 50; ++k) {
        const QRect r(8 + 4 * k, 8, 5, 20);
        ASSERT_EQ(Meter3::SegmentRect(k), r);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const bool line = x == r.left() || x == r.right() || y == r.top() || y == r.bottom();
                const QRgb want = line ? kBlack : k < lit ? kLitGreen : kUnlitGreen;
                ASSERT_EQ(image.pixel(x, y), want) << "segment " << k << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace

TEST(Meter3, LightsTheFirstValueSegmentsAndUnlightsThemWhenLowered)
{
    for (int16_t value : {0, 1, 25, 50}) {
        SCOPED_TRACE(value);
        Meter3 meter;
        ASSERT_TRUE(meter.SetValue(value));
        expectLit(meter, value);
    }
    Meter3 meter;
    meter.SetValue(40);
    expectLit(meter, 40);
    meter.SetValue(10);
    EXPECT_EQ(meter.mLevel, 10);
    expectLit(meter, 10);
}

TEST(Meter3, OutOfRangeIsRefusedAndOnlyARealPutTellsTheContainer)
{
    Meter3 meter;
    meter.SetValue(12);
    QSignalSpy changed(&meter, &Meter3::PropertyChanged);
    for (int16_t bad : {-1, 51, 32767, -32768}) {
        EXPECT_FALSE(meter.SetValue(bad)) << bad;
        EXPECT_EQ(meter.Value(), 12);
    }
    EXPECT_FALSE(meter.SetBorder(2));
    EXPECT_TRUE(meter.SetValue(12));
    EXPECT_EQ(changed.count(), 0);
    expectLit(meter, 12);
    meter.SetValue(5);
    meter.SetBorder(1);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(0).at(0).toString(), "Value");
    EXPECT_EQ(changed.at(1).at(0).toString(), "Border");
}

TEST(Meter3, KeepsItsSizeWhateverTheContainerAsks)
{
    QWidget container;
    Meter3 meter(&container);
    meter.setMinimumSize(0, 0);  // a container that lifts the size limits still gets it undone
    meter.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    meter.resize(40, 300);
    container.show();
    EXPECT_EQ(meter.size(), QSize(217, 35));  // 3255 x 525 twips
    meter.setGeometry(7, 49, 300, 60);
    EXPECT_EQ(meter.geometry(), QRect(7, 49, 217, 35));
    meter.SetValue(25);
    expectLit(meter, 25);
}

TEST(Meter3, SavesWhatDiffersFromTheDefaultsAndLoadsMissingKeysAsThem)
{
    Meter3 fresh;
    PropertyBag saved;
    fresh.WriteProperties(saved);
    EXPECT_EQ(saved.Keys(), QStringList{"border"});  // a fresh meter has no border; the default is one
    const struct {
        const char* name;
        QList<QPair<QString, int>> saved;
        int16_t value, border;
    } cases[] = {{"NothingSaved", {}, 0, 1},
                 {"NoBorder", {{"Border", 0}}, 0, 0},
                 {"AValue", {{"value", 20}}, 20, 1},
                 {"KeysInAnyCase", {{"VALUE", 50}, {"BoRdEr", 0}}, 50, 0},
                 {"ValueOutOfRange", {{"Value", 99}}, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PropertyBag bag;
        for (const auto& [key, v] : c.saved) {
            bag.WriteProperty(key, v, -12345);
        }
        Meter3 meter;
        QSignalSpy changed(&meter, &Meter3::PropertyChanged);
        meter.ReadProperties(bag);
        EXPECT_EQ(meter.Value(), c.value);
        EXPECT_EQ(meter.Border(), c.border);
        EXPECT_EQ(changed.count(), 0);  // loading changes nothing for the container
        expectLit(meter, c.value);
    }
}

// A screen reader reads the bar as a progress bar in percent of the segments lit, as a number
// and as text, and cannot set it.
TEST(Meter3, AScreenReaderReadsThePercentLitAndCannotSetIt)
{
    Meter3 meter;
    meter.SetValue(21);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&meter);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::ProgressBar);
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 42);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("42%"));
    EXPECT_EQ(
        std::tuple(value->minimumValue().toInt(), value->maximumValue().toInt(), value->minimumStepSize().toInt()),
        std::tuple(0, 100, 2));
    value->setCurrentValue(80);
    EXPECT_EQ(meter.Value(), 21);
}

}  // namespace zelko
