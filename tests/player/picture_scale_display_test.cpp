// SPDX-License-Identifier: GPL-3.0-or-later
// The video at the window's scale (run at 100 %, 150 % and 200 %): Picture1 keeps its place in
// twips and logical pixels, and the picture fills it in device pixels, in the window and in
// fullscreen, read back from Picture1's own X window.
#include "picture_probe.h"

namespace zelko {

using PictureAtScale = VideoFormTest;

TEST_F(PictureAtScale, FillsPicture1AtTheVideosLogicalSizeInTheWindowAndFullscreen)
{
    const qreal scale = form->devicePixelRatioF();
    EXPECT_EQ(form->height() * 15, 7485);                      // twips
    EXPECT_EQ(Video()->geometry(), QRect(70, 238, 320, 240));  // logical, at every scale
    const QSize device(qRound(320 * scale), qRound(240 * scale));
    QImage shot;
    const auto filled = [&](QSize size) {
        return QTest::qWaitFor(
            [&] {
                shot = PictureShot(Video());
                return shot.size() == size && BarsFill(shot);
            },
            kDeadlineMs);
    };
    EXPECT_TRUE(filled(device)) << "at " << scale << ": " << shot.width() << "x" << shot.height();
    Button("Pause")->click();

    Button("Fullscreen")->click();
    const QSize screen = form->screen()->geometry().size() * scale;
    EXPECT_EQ(Video()->geometry(), QRect(QPoint(0, 0), form->screen()->geometry().size()));
    EXPECT_TRUE(filled(screen)) << "fullscreen at " << scale << ": " << shot.width() << "x" << shot.height();
    Type(Qt::Key_Escape);
    EXPECT_TRUE(filled(device)) << "back from fullscreen at " << scale;
}

}  // namespace zelko
