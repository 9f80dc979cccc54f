// The window's own events reach the playback handlers: a click on a transport button, a
// double-click on the playlist, keys pressed in txtfull (with their codes as the handler
// reckons them), a click on the slider's rail.
#include <QAbstractButton>
#include <QTest>

#include "player/controls/cpv_slider.h"
#include "playback_fixture.h"

namespace {

using WiringTest = FakeFormTest;

TEST_F(WiringTest, ClickOnPlayPlaysAndFocusesThePlaylist)
{
    Select(1);
    form->txtfull->setFocus();
    QTest::mouseClick(form->asxToolbar1->Button(1), Qt::LeftButton);
    EXPECT_TRUE(channel.playingPath("/clips/b.mpg"));
    EXPECT_EQ(form->focusWidget(), form->List1);
    QTest::mouseClick(form->asxToolbar1->Button(2), Qt::LeftButton);
    EXPECT_EQ(channel.device->mode, "paused");
    EXPECT_TRUE(Pressed(2));
}

TEST_F(WiringTest, DoubleClickOnAnEntryPlaysIt)
{
    const QRect item = form->List1->visualItemRect(form->List1->item(1));
    ASSERT_TRUE(item.isValid());
    // As the window system sends it: a first click, then the second press as a double-click.
    QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(form->List1->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(form->List2->currentRow(), 1);
    EXPECT_TRUE(channel.playingPath("/clips/b.mpg"));
}

TEST_F(WiringTest, KeysInTxtfullRunTheirCommands)
{
    Select(0);
    QTest::keyClick(form->txtfull, Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_TRUE(channel.playingPath("/clips/a.mpg"));
    EXPECT_TRUE(form->IsMaximized());
    QTest::keyClick(form->txtfull, Qt::Key_F2);
    EXPECT_EQ(channel.device->mode, "paused");
    QTest::keyClick(form->txtfull, Qt::Key_F2);
    EXPECT_EQ(channel.device->mode, "playing");
    QTest::keyClick(form->txtfull, Qt::Key_F4);
    EXPECT_EQ(channel.device->speed, 400);
    channel.clearLog();
    QTest::keyClick(form->txtfull, Qt::Key_F5);
    QTest::keyClick(form->txtfull, Qt::Key_A);
    EXPECT_TRUE(channel.log.empty());
    QTest::keyClick(form->txtfull, Qt::Key_Escape);
    EXPECT_FALSE(form->IsMaximized());
    EXPECT_EQ(channel.device->mode, "playing");
    form->GoFullscreen();
    QTest::keyClick(form->txtfull, Qt::Key_F3);
    EXPECT_FALSE(form->IsMaximized());
    EXPECT_EQ(channel.device->mode, "stopped");
}

TEST_F(WiringTest, ClickOnTheRailSeeks)
{
    PlayRow(0);  // 50 frames
    CpvSlider* slider = form->cpvSlider1;
    channel.clearLog();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, slider->height() / 2));
    const int value = slider->Value();
    ASSERT_GT(value, 0);
    EXPECT_EQ(form->mSeekFrame, static_cast<int32_t>(std::nearbyint(50 * value / 100.0)));
    EXPECT_EQ(channel.count("seek movie to " + std::to_string(form->mSeekFrame)), 1);
}

}  // namespace
