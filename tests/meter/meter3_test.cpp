#include "meter/meter3.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>
#include <set>

namespace {

QImage render(Meter3& meter) { return meter.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The colour inside segment k, away from its border lines.
QRgb segmentColour(const QImage& image, int k) {
    const QRect r = Meter3::SegmentRect(k);
    return image.pixel(r.center()) | 0xff000000;
}

// Every segment's inside is one flat colour and its border lines are black.
void expectLit(const QImage& image, int lit) {
    for (int k = 0; k < Meter3::kSegments; ++k) {
        const QRect r = Meter3::SegmentRect(k);
        const QRgb want = k < lit ? Meter3::kLit : Meter3::kUnlit;
        for (int y = r.top() + 1; y < r.bottom(); ++y)
            for (int x = r.left() + 1; x < r.right(); ++x)
                ASSERT_EQ(image.pixel(x, y), want) << "segment " << k << " at " << x << "," << y;
        EXPECT_EQ(image.pixel(r.left(), r.center().y()), 0xff000000u) << "segment " << k;
        EXPECT_EQ(image.pixel(r.right(), r.center().y()), 0xff000000u) << "segment " << k;
        EXPECT_EQ(image.pixel(r.center().x(), r.top()), 0xff000000u) << "segment " << k;
        EXPECT_EQ(image.pixel(r.center().x(), r.bottom()), 0xff000000u) << "segment " << k;
    }
}

}  // namespace

TEST(Meter3, SegmentsSitAt120Plus60kTwipsAndShareTheirBorderLines) {
    // 120 + 60k twips at 15 twips per pixel: 8 + 4k pixels; 80 x 300 twips: 5 x 20 pixels.
    for (int k = 0; k < Meter3::kSegments; ++k) EXPECT_EQ(Meter3::SegmentRect(k), QRect(8 + 4 * k, 8, 5, 20));
    EXPECT_EQ(Meter3::SegmentRect(1).left(), Meter3::SegmentRect(0).right());
}

class Meter3Levels : public testing::TestWithParam<int16_t> {};

TEST_P(Meter3Levels, LightsTheFirstValueSegmentsInTwoColoursOnly) {
    Meter3 meter;
    ASSERT_TRUE(meter.SetValue(GetParam()));
    const QImage image = render(meter);
    expectLit(image, GetParam());

    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    colours.erase(0xff000000u);
    EXPECT_LE(colours.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Values, Meter3Levels, testing::Values<int16_t>(0, 1, 25, 49, 50));

TEST(Meter3, LoweringFrom40To10TurnsSegments10To39BackToUnlit) {
    Meter3 meter;
    meter.SetValue(40);
    expectLit(render(meter), 40);
    meter.SetValue(10);
    EXPECT_EQ(meter.mLevel, 10);
    expectLit(render(meter), 10);
}

TEST(Meter3, OutOfRangeIsRefusedAndChangesNothing) {
    Meter3 meter;
    meter.SetValue(12);
    QSignalSpy changed(&meter, &Meter3::PropertyChanged);
    for (int16_t bad : {int16_t(-1), int16_t(51), int16_t(32767), int16_t(-32768)}) {
        EXPECT_FALSE(meter.SetValue(bad)) << bad;
        EXPECT_EQ(meter.Value(), 12);
        EXPECT_EQ(meter.mLevel, 12);
    }
    EXPECT_FALSE(meter.SetBorder(2));
    EXPECT_FALSE(meter.SetBorder(-1));
    EXPECT_EQ(meter.Border(), 0);
    EXPECT_EQ(changed.count(), 0);
    expectLit(render(meter), 12);
}

TEST(Meter3, EachRealPutTellsTheContainerAndARepeatedPutDoesNot) {
    Meter3 meter;
    QSignalSpy changed(&meter, &Meter3::PropertyChanged);
    EXPECT_TRUE(meter.SetValue(0));
    EXPECT_TRUE(meter.SetBorder(0));
    EXPECT_EQ(changed.count(), 0);

    meter.SetValue(5);
    meter.SetValue(5);
    meter.SetBorder(1);
    meter.SetBorder(1);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(0).at(0).toString(), "Value");
    EXPECT_EQ(changed.at(1).at(0).toString(), "Border");
}

TEST(Meter3, ShowLevelDrawsMLevelNotTheValue) {
    Meter3 meter;
    meter.SetValue(30);
    meter.mLevel = 3;
    meter.ShowLevel();
    expectLit(render(meter), 3);
    meter.SetLevelValue();
    EXPECT_EQ(meter.mLevel, 30);
}

TEST(Meter3, KeepsItsSizeWhateverTheContainerAsks) {
    QWidget container;
    container.resize(600, 200);
    Meter3 meter(&container);
    container.show();
    const QSize fixed(3255 / 15, 525 / 15);
    EXPECT_EQ(meter.size(), fixed);
    meter.resize(500, 100);
    EXPECT_EQ(meter.size(), fixed);
    meter.setGeometry(7, 49, 10, 10);
    EXPECT_EQ(meter.geometry(), QRect(QPoint(7, 49), fixed));
    // A container that lifts the size limits first still gets the size undone.
    meter.setMinimumSize(0, 0);
    meter.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    meter.resize(300, 60);
    EXPECT_EQ(meter.size(), fixed);
    meter.SetValue(25);
    expectLit(render(meter), 25);
}

TEST(Meter3, SizeBentWhileHiddenIsUndoneWhenShown) {
    QWidget container;
    container.resize(600, 200);
    Meter3 meter(&container);
    meter.setMinimumSize(0, 0);
    meter.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    meter.resize(40, 300);
    container.show();
    EXPECT_EQ(meter.size(), QSize(217, 35));
}

TEST(Meter3, BorderDrawsALineAroundTheControl) {
    Meter3 meter;
    EXPECT_EQ(render(meter).pixel(0, 0), 0xff000000u);
    meter.SetBorder(1);
    const QImage image = render(meter);
    EXPECT_NE(image.pixel(0, 0), 0xff000000u);
    EXPECT_NE(image.pixel(image.width() - 1, image.height() - 1), 0xff000000u);
    expectLit(image, 0);
}

TEST(Meter3Properties, FreshMeterSavesOnlyBorderZero) {
    Meter3 meter;
    EXPECT_EQ(meter.Value(), 0);
    EXPECT_EQ(meter.Border(), 0);
    PropertyBag bag;
    meter.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), QStringList{"border"});
    EXPECT_EQ(bag.ReadProperty("Border", 1), 0);
}

TEST(Meter3Properties, LoadingFillsMissingKeysWithTheirDefaults) {
    struct Case {
        const char* name;
        QList<QPair<QString, int>> saved;
        int16_t value;
        int16_t border;
    };
    const Case cases[] = {
        {"empty bag", {}, 0, 1},
        {"border only", {{"border", 0}}, 0, 0},
        {"value only", {{"Value", 20}}, 20, 1},
        {"both, any case", {{"VALUE", 50}, {"BoRdEr", 0}}, 50, 0},
        {"value out of range is not applied", {{"value", 99}}, 0, 1},
    };
    for (const Case& c : cases) {
        PropertyBag bag;
        for (const auto& [key, v] : c.saved) bag.WriteProperty(key, v, -12345);
        Meter3 meter;
        QSignalSpy changed(&meter, &Meter3::PropertyChanged);
        meter.ReadProperties(bag);
        EXPECT_EQ(meter.Value(), c.value) << c.name;
        EXPECT_EQ(meter.Border(), c.border) << c.name;
        EXPECT_EQ(meter.mLevel, c.value) << c.name;
        EXPECT_EQ(changed.count(), 0) << c.name;
        expectLit(render(meter), c.value);
    }
}

TEST(Meter3Properties, SaveAndLoadRoundTrip) {
    Meter3 saved;
    saved.SetValue(17);
    saved.SetBorder(1);
    PropertyBag bag;
    saved.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), QStringList{"value"});  // border 1 is the default
    Meter3 loaded;
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.Value(), 17);
    EXPECT_EQ(loaded.Border(), 1);
}
