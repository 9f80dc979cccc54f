// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a real X server, read back from the screen: the title, the green scroller strip
// and the black between the title and the Close toolbar show where they are designed. (The LED
// bar, the toolbar captions and the playlist's entries e2e_window_playback finds on the screen.)
#include <QGuiApplication>
#include <QPixmap>

#include "form_fixture.h"
#include "helpers/picture_box.h"

namespace zelko {

// How many of the area's pixels, in thousandths, are exactly `rgb` (or, for 0, green text).
static int Share(const QImage& shot, const QRect& area, QRgb rgb)
{
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = shot.pixel(x, y) | 0xFF000000;
            hits += rgb ? p == (rgb | 0xFF000000) : qGreen(p) > 100 && qRed(p) < 100 && qBlue(p) < 100;
        }
    }
    return 1000 * hits / (area.width() * area.height());
}

using WindowOnScreen = FormTest<FakeDevice>;

TEST_F(WindowOnScreen, TheControlsShowWhereTheyAreDesigned)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs a real X server";
    form->move(40, 30);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QImage shot;  // painting is asynchronous: wait until the strip is all green
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            shot = form->screen()->grabWindow(0, form->x(), form->y(), form->width(), form->height()).toImage();
            return Share(shot, TitleStrip()->geometry(), qRgb(0, 255, 0)) == 1000;
        },
        10000));
    ASSERT_EQ(shot.size(), QSize(460, 238));
    const int title = Share(shot, TitleLabel()->geometry(), 0);  // green text on black
    EXPECT_GE(title, 10);
    EXPECT_LE(title, 500);
    const QRect between(TitleLabel()->geometry().right() + 10, 0, 200, 20);
    EXPECT_EQ(Share(shot, between, qRgb(0, 0, 0)), 1000) << "between the title and Close";
}

}  // namespace zelko
