// The window on a real X server, read back from the screen: the title at the top left, the
// Close toolbar at the top right, the green scroller strip, the black meter with its dark green
// segments, the playlist, and the video area (a native window) black when the window grows.
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "helpers/picture_box.h"
#include "meter/meter3.h"
#include "player/controls/asx_toolbar.h"
#include "player/form1.h"
#include "player/video_host.h"
#include "window_support.h"

namespace {

const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kDarkGreen = qRgb(0, 128, 0);
const QRgb kBlack = qRgb(0, 0, 0);

struct Counts {
    int total = 0, green = 0, darkGreen = 0, black = 0, greenish = 0;
};

Counts Count(const QImage& shot, const QRect& area)
{
    Counts c;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = shot.pixel(x, y) & 0xFFFFFF | 0xFF000000;
            ++c.total;
            c.green += p == kGreen;
            c.darkGreen += p == kDarkGreen;
            c.black += p == kBlack;
            c.greenish += qGreen(p) > 100 && qRed(p) < 100 && qBlue(p) < 100;
        }
    return c;
}

class WindowOnScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs a real X server";
        WriteBytes(cwd.file("pl1.txt"), "first song.mp3\r\nsecond clip.avi\r\n");
        WriteBytes(cwd.file("pl2.txt"), "/m/first song.mp3\r\n/m/second clip.avi\r\n");
        form = std::make_unique<Form1>(channel);
        form->move(40, 30);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    // The window's pixels as the X server holds them, once `ready` holds (painting is
    // asynchronous), or at the deadline.
    QImage Shot(const std::function<bool(const QImage&)>& ready)
    {
        QImage shot;
        const QDeadlineTimer deadline(10000);
        do {
            QTest::qWait(50);
            const QRect g = form->geometry();
            shot = form->screen()->grabWindow(0, g.x(), g.y(), g.width(), g.height()).toImage();
        } while (!ready(shot) && !deadline.hasExpired());
        return shot;
    }

    TempCwd cwd;
    RecordingChannel channel;
    std::unique_ptr<Form1> form;
};

TEST_F(WindowOnScreen, TheControlsShowWhereTheyAreDesigned)
{
    const QRect strip = form->Picture2->geometry();
    const QImage shot = Shot([&](const QImage& s) { return Count(s, strip).green == strip.width() * strip.height(); });
    ASSERT_EQ(shot.size(), QSize(460, 238));

    const Counts picture2 = Count(shot, strip);
    EXPECT_EQ(picture2.green, picture2.total) << "the scroller strip is green";

    const Counts meter = Count(shot, form->Meter31->geometry());
    EXPECT_GT(meter.darkGreen, meter.total / 10) << "unlit segments";
    EXPECT_GT(meter.black, meter.total / 10) << "the meter's black ground";
    EXPECT_EQ(meter.green, 0) << "no segment lit at value 0";

    const Counts title = Count(shot, form->Label2->geometry());
    EXPECT_GT(title.greenish, 50) << "the title text";
    EXPECT_GT(title.black, title.total / 2);

    const Counts close = Count(shot, form->asxToolbar3->geometry());
    EXPECT_GT(close.greenish, 10) << "the Close caption";
    EXPECT_GT(form->asxToolbar3->x(), 350) << "at the right";

    const QRect gap(form->Label2->geometry().right() + 10, 0, 200, 20);  // between title and Close
    EXPECT_EQ(Count(shot, gap).black, Count(shot, gap).total);

    const Counts transport = Count(shot, form->asxToolbar1->geometry());
    EXPECT_GT(transport.greenish, 100) << "the five captions";

    const Counts list = Count(shot, form->List1->geometry());
    EXPECT_GT(list.greenish, 100) << "the playlist's titles";
    EXPECT_GT(list.black, list.total / 2);
}

TEST_F(WindowOnScreen, TheVideoAreaIsANativeWindowThatShowsBlackOverTheControls)
{
    EXPECT_NE(form->Picture1->WindowHandle(), 0);
    EXPECT_NE(static_cast<WId>(form->Picture1->WindowHandle()), form->winId());
    // As fullscreen mode places it with nothing open: the picture stays black, and nothing of
    // the controls below it (the green strip) shows through.
    const QRect strip = form->Picture2->geometry();
    Shot([&](const QImage& s) { return Count(s, strip).green == strip.width() * strip.height(); });
    Form1::SetTwipsGeometry(form->Picture1, 0, 0, form->WidthTwips(), form->HeightTwips());
    const QRect all = form->rect();
    const QImage shot = Shot([&](const QImage& s) { return Count(s, all).black == all.width() * all.height(); });
    EXPECT_EQ(Count(shot, all).black, all.width() * all.height());
}

}  // namespace
