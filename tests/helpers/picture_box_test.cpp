#include "helpers/picture_box.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

// The bounding box of every pixel that differs from the back colour.
QRect inkBounds(const QImage& image, QRgb back) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xff000000) != (back | 0xff000000)) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

}  // namespace

TEST(PictureBox, CharacterUnitsAre8By16PixelsAndFractional) {
    PictureBox box;
    box.resize(232, 35);
    EXPECT_DOUBLE_EQ(box.ScaleWidth(), 232 * 15.0);  // twips until switched
    box.ScaleToCharacters();
    EXPECT_TRUE(box.InCharacterUnits());
    EXPECT_DOUBLE_EQ(box.ScaleWidth(), 29.0);
    EXPECT_DOUBLE_EQ(box.ScaleHeight(), 35 / 16.0);
}

TEST(PictureBox, ReportsTheSizeTheResolvedFaceTakes) {
    struct Case {
        double asked;
        double reported;
    };
    // Sizes snap to whole pixels at 96 dots per inch: 8 pt is 11 px, reported as 8.25 pt.
    for (const Case c : {Case{12, 12}, Case{8, 8.25}, Case{24, 24}}) {
        PictureBox box;
        box.SetFont("Courier New", c.asked, false, false, false);
        EXPECT_DOUBLE_EQ(box.FontSize(), c.reported) << c.asked;
        EXPECT_TRUE(QFontInfo(box.DrawingFont()).fixedPitch());
    }
    PictureBox box;
    box.SetFont("Courier New", 10, true, true, true);
    EXPECT_TRUE(box.DrawingFont().bold());
    EXPECT_TRUE(box.DrawingFont().italic());
    EXPECT_TRUE(box.DrawingFont().underline());
}

TEST(PictureBox, ForeColourIsReadAsBlueGreenRed) {
    PictureBox box;
    box.SetForeColor(0xFF0000);
    EXPECT_EQ(box.ForeColor(), QColor(0, 0, 255));
    box.SetForeColor(0x00FF00);
    EXPECT_EQ(box.ForeColor(), QColor(0, 255, 0));
    box.SetForeColor(0x0000FF);
    EXPECT_EQ(box.ForeColor(), QColor(255, 0, 0));
}

TEST(PictureBox, PrintPutsTheTextsTopLeftAtTheDrawingPosition) {
    PictureBox box;
    box.resize(232, 64);
    box.SetBackColor(Qt::green);
    box.ScaleToCharacters();
    box.SetFont("Courier New", 12, false, false, false);
    box.SetForeColor(0xFF0000);
    box.CurrentX = 10;
    box.CurrentY = 1;
    box.Print("M");
    const QRect ink = inkBounds(box.grab().toImage(), QColor(Qt::green).rgb());
    ASSERT_FALSE(ink.isEmpty());
    // The cell starts at 80, 16; an upper-case glyph keeps inside its 9.6 x 19 pixel cell.
    EXPECT_GE(ink.left(), 80);
    EXPECT_LE(ink.right(), 80 + 10);
    EXPECT_GE(ink.top(), 16);
    EXPECT_LE(ink.bottom(), 16 + 19);
    const QImage image = box.grab().toImage();
    bool pureBlue = false;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x) pureBlue |= (image.pixel(x, y) | 0xff000000) == 0xff0000ffu;
    EXPECT_TRUE(pureBlue);
    EXPECT_EQ(box.CurrentX, 0);
    EXPECT_GT(box.CurrentY, 1);
}

TEST(PictureBox, ClsWipesToTheBackColourAndRewindsThePosition) {
    PictureBox box;
    box.resize(100, 40);
    box.SetBackColor(Qt::green);
    box.ScaleToCharacters();
    box.SetFont("Courier New", 12, false, false, false);
    box.SetForeColor(0);
    box.Print("Hello");
    ASSERT_FALSE(inkBounds(box.Canvas(), QColor(Qt::green).rgb()).isEmpty());
    QSignalSpy clearing(&box, &PictureBox::Clearing);
    box.Cls();
    EXPECT_EQ(clearing.count(), 1);
    EXPECT_TRUE(inkBounds(box.grab().toImage(), QColor(Qt::green).rgb()).isEmpty());
    EXPECT_EQ(box.CurrentX, 0);
    EXPECT_EQ(box.CurrentY, 0);
}

TEST(PictureBox, DrawingSurvivesAResize) {
    PictureBox box;
    box.resize(100, 40);
    box.SetBackColor(Qt::green);
    box.SetFont("Courier New", 12, false, false, false);
    box.Print("W");
    const QRect before = inkBounds(box.Canvas(), QColor(Qt::green).rgb());
    box.resize(200, 80);
    EXPECT_EQ(box.Canvas().size(), QSize(200, 80));
    EXPECT_EQ(inkBounds(box.Canvas(), QColor(Qt::green).rgb()), before);
}
