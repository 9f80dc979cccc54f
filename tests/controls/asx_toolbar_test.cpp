#include "player/controls/asx_toolbar.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>

namespace {

struct ButtonSpec {
    QString caption;
    QString key;
    QString toolTip;
};

// The transport toolbar of the main window, captions with their trailing blanks.
const QList<ButtonSpec> kTransport = {
    {"Play         ", "play", "Play   F1"},
    {"Pause      ", "pause", "Pause   F2"},
    {"Stop          ", "stop", "Stop   F3"},
    {"Slow Motion", "forward", "Slow Motion  F4"},
    {"Fullscreen   ", "fullscreen", "Fullscreen"},
};

class AsxToolbarTest : public testing::Test {
protected:
    void SetUp() override {
        toolbar.setGeometry(7, 25, 386, 22);  // 5790 x 330 twips
        toolbar.setFont(QFont("Tahoma", 8));
        toolbar.SetColors(QColor(0, 255, 0), Qt::black);
        toolbar.SetButtonGap(3);
        for (const ButtonSpec& b : kTransport) toolbar.AddButton(b.caption, b.key, b.toolTip);
        toolbar.show();
    }
    AsxToolbar toolbar;
    QSignalSpy clicks{&toolbar, &AsxToolbar::ButtonClick};
};

bool hasColour(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

}  // namespace

TEST_F(AsxToolbarTest, ButtonsKeepCaptionsKeysAndTooltips) {
    ASSERT_EQ(toolbar.ButtonCount(), 5);
    for (int i = 1; i <= 5; ++i) {
        const ButtonSpec& want = kTransport[i - 1];
        EXPECT_EQ(toolbar.Caption(i), want.caption);
        EXPECT_EQ(toolbar.Button(i)->text(), want.caption);
        EXPECT_EQ(toolbar.Key(i), want.key);
        EXPECT_EQ(toolbar.Button(i)->toolTip(), want.toolTip);
    }
    for (int outside : {0, 6, -1}) {
        EXPECT_EQ(toolbar.Button(outside), nullptr);
        EXPECT_EQ(toolbar.Caption(outside), "");
        EXPECT_EQ(toolbar.Key(outside), "");
    }
}

TEST_F(AsxToolbarTest, AUserClickRaisesButtonClickWithIndexAndKey) {
    for (int i = 1; i <= 5; ++i) QTest::mouseClick(toolbar.Button(i), Qt::LeftButton);
    ASSERT_EQ(clicks.count(), 5);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(clicks.at(i - 1).at(0).toInt(), i);
        EXPECT_EQ(clicks.at(i - 1).at(1).toString(), kTransport[i - 1].key);
    }
}

TEST_F(AsxToolbarTest, ClicksLeaveTheLatchedStateAlone) {
    QTest::mouseClick(toolbar.Button(2), Qt::LeftButton);
    EXPECT_FALSE(toolbar.ButtonPressed(2));
    toolbar.SetButtonPressed(2, true);
    EXPECT_EQ(clicks.count(), 1);  // a put raises nothing
    QTest::mouseClick(toolbar.Button(2), Qt::LeftButton);
    QTest::mouseClick(toolbar.Button(2), Qt::LeftButton);
    EXPECT_TRUE(toolbar.ButtonPressed(2));
    toolbar.SetButtonPressed(2, false);
    EXPECT_FALSE(toolbar.ButtonPressed(2));
    EXPECT_FALSE(toolbar.ButtonPressed(4));
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(AsxToolbarTest, IndexOutsideTheRangeReadsFalseAndIsNotSet) {
    for (int outside : {0, 6, -3, 32767}) {
        toolbar.SetButtonPressed(outside, true);
        EXPECT_FALSE(toolbar.ButtonPressed(outside)) << outside;
    }
    for (int i = 1; i <= 5; ++i) EXPECT_FALSE(toolbar.ButtonPressed(i));
}

TEST_F(AsxToolbarTest, GreenTextOnBlackAndAPressedButtonLooksDifferent) {
    const QImage idle = toolbar.Button(4)->grab().toImage();
    EXPECT_EQ(idle.pixelColor(1, 1), QColor(Qt::black));
    EXPECT_TRUE(hasColour(idle, QColor(0, 255, 0)));
    toolbar.SetButtonPressed(4, true);
    const QImage pressed = toolbar.Button(4)->grab().toImage();
    EXPECT_NE(pressed, idle);
    EXPECT_NE(pressed.pixelColor(pressed.width() / 2, 2), QColor(Qt::black));
    toolbar.SetButtonPressed(4, false);
    EXPECT_EQ(toolbar.Button(4)->grab().toImage(), idle);
}

TEST_F(AsxToolbarTest, AutoSizedButtonsFitTheirCaptionsGapApart) {
    const QFontMetrics metrics(toolbar.font());
    for (int i = 1; i <= 5; ++i) {
        const QRect r = toolbar.Button(i)->geometry();
        EXPECT_GE(r.width(), metrics.horizontalAdvance(kTransport[i - 1].caption)) << i;
        EXPECT_EQ(r.height(), toolbar.height());
        if (i > 1) EXPECT_EQ(r.left(), toolbar.Button(i - 1)->geometry().right() + 1 + 3) << i;
    }
    // The trailing blanks are part of the caption and widen the button.
    EXPECT_GT(toolbar.Button(1)->width(), metrics.horizontalAdvance("Play") + metrics.horizontalAdvance("         ") - 1);
    toolbar.SetAutoSize(false);
    for (int i = 2; i <= 5; ++i) EXPECT_EQ(toolbar.Button(i)->width(), toolbar.Button(1)->width());
}

TEST_F(AsxToolbarTest, ALargerFontWidensTheButtons) {
    const int before = toolbar.Button(1)->width();
    toolbar.setFont(QFont("Tahoma", 16));
    EXPECT_GT(toolbar.Button(1)->width(), before);
}
