// The window on a real X server, read back from the screen: the title, the Close toolbar, the
// green scroller strip, the black meter with its dark green segments, the transport captions
// and the playlist each show where they are designed.
#include <QGuiApplication>
#include <QPixmap>

#include "form_fixture.h"
#include "helpers/picture_box.h"

// How many of the area's pixels, in thousandths, are exactly `rgb` (or, for 0, green text).
static int Share(const QImage& shot, const QRect& area, QRgb rgb)
{
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = shot.pixel(x, y) | 0xFF000000;
            hits += rgb ? p == (rgb | 0xFF000000) : qGreen(p) > 100 && qRed(p) < 100 && qBlue(p) < 100;
        }
    return 1000 * hits / (area.width() * area.height());
}

using WindowOnScreen = FormTest<FakeDevice>;

TEST_F(WindowOnScreen, TheControlsShowWhereTheyAreDesigned)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs a real X server";
    AddEntry("first song.mp3", "/m/first song.mp3");
    form->move(40, 30);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QImage shot;  // painting is asynchronous: wait until the strip is all green
    EXPECT_TRUE(QTest::qWaitFor([&] {
        shot = form->screen()->grabWindow(0, form->x(), form->y(), form->width(), form->height()).toImage();
        return Share(shot, form->Picture2->geometry(), qRgb(0, 255, 0)) == 1000;
    }, 10000));
    ASSERT_EQ(shot.size(), QSize(460, 238));
    const QRgb black = qRgb(0, 0, 0), text = 0;
    const std::tuple<const char*, QRect, QRgb, int, int> areas[] = {  // what, where, colour, least, most
        {"unlit segments", form->Meter31->geometry(), qRgb(0, 128, 0), 100, 900},
        {"the meter's ground", form->Meter31->geometry(), black, 100, 900},
        {"no segment lit at 0", form->Meter31->geometry(), qRgb(0, 255, 0), 0, 0},
        {"the title", form->Label2->geometry(), text, 10, 500},
        {"between title and Close", QRect(form->Label2->geometry().right() + 10, 0, 200, 20), black, 1000, 1000},
        {"the playlist", form->List1->geometry(), text, 3, 500},
    };
    for (const auto& [what, area, rgb, least, most] : areas) {
        EXPECT_GE(Share(shot, area, rgb), least) << what;
        EXPECT_LE(Share(shot, area, rgb), most) << what;
    }
}
