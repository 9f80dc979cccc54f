// Fullscreen and back on a real X server: Picture1's native window carries the video, the
// engine fits the video to it through the window's real rectangle, and keys pressed in txtfull
// leave fullscreen with the exact normal geometry while playback goes on (Esc) or stops (F3).
#include <QTest>

#include "playback_fixture.h"

namespace {

using FullscreenDisplayTest = EngineFormTest;

TEST_F(FullscreenDisplayTest, VideoFollowsPicture1IntoFullscreenAndBack)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    PlayClip("video.avi");
    ASSERT_EQ(form->mResult, "Success");
    EXPECT_EQ(channel.Ask("where movie destination"), "0 0 320 240");
    const QRect normal = form->geometry();

    form->asxToolbar1_ButtonClick(5, QString());
    const QSize screen = form->screen()->geometry().size();
    EXPECT_EQ(form->size(), screen);
    EXPECT_EQ(form->Picture1->geometry(), QRect(QPoint(0, 0), screen));
    EXPECT_EQ(channel.Ask("where movie destination"),
              "0 0 " + std::to_string(screen.width()) + " " + std::to_string(screen.height()));

    QTest::keyClick(form->txtfull, Qt::Key_Escape);
    EXPECT_FALSE(form->IsMaximized());
    EXPECT_EQ(form->geometry(), normal);
    EXPECT_EQ(form->Picture1->geometry(), QRect(70, 238, 320, 240));
    EXPECT_EQ(channel.Ask("where movie destination"), "0 0 320 240");
    EXPECT_EQ(Mode(), "playing");
}

TEST_F(FullscreenDisplayTest, F3StopsAndPutsThePictureBelowTheWindow)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    PlayClip("video.avi");
    ASSERT_EQ(form->mResult, "Success");
    const QRect normal = form->geometry();
    form->GoFullscreen();
    QTest::keyClick(form->txtfull, Qt::Key_F3);
    EXPECT_EQ(Mode(), "stopped");
    EXPECT_FALSE(form->IsMaximized());
    EXPECT_EQ(form->geometry(), normal);
    EXPECT_EQ(form->Picture1->geometry(), QRect(91, 273, 320, 240));
    EXPECT_EQ(channel.Ask("where movie destination"), "0 0 320 240");
    EXPECT_FALSE(form->TimerMisc->isActive());
}

}  // namespace
