// Fullscreen mode and the keys of txtfull on the scripted device.
#include <QLabel>
#include <QLineEdit>

#include "player/video_host.h"
#include "playback_fixture.h"

namespace {

constexpr int kEsc = 27, kF1 = 112, kF3 = 114;

class KeysTest : public FakeFormTest {
protected:
    QRect TwipsOf(const QWidget* w) const
    {
        return {Form1::LeftTwips(w), Form1::TopTwips(w), Form1::WidthTwips(w), Form1::HeightTwips(w)};
    }
};

TEST_F(KeysTest, GoFullscreenWithNothingOpenStillCoversTheScreen)
{
    form->GoFullscreen();
    EXPECT_TRUE(form->IsMaximized());
    EXPECT_EQ(form->size(), form->screen()->geometry().size());
    EXPECT_EQ(form->Picture1->geometry(), QRect(QPoint(0, 0), form->size()));
    EXPECT_EQ(form->focusWidget(), form->txtfull);
    EXPECT_NE(form->mResult, "Success");  // nothing to place
}

TEST_F(KeysTest, EscRestoresTheVideoWindowAndPlaybackGoesOn)
{
    PlayRow(0);
    const QRect normal = form->geometry();
    ASSERT_EQ(form->HeightTwips(), 7485);
    form->GoFullscreen();
    form->GoFullscreen();  // a second call repeats the steps and keeps the normal geometry
    form->txtfull_KeyDown(kEsc, 0);
    EXPECT_FALSE(form->IsMaximized());
    EXPECT_EQ(form->geometry(), normal);
    EXPECT_EQ(TwipsOf(form->Picture1), QRect(1050, 3570, 4800, 3600));
    EXPECT_EQ(channel.device->window, "0 0 320 240");
    EXPECT_TRUE(channel.playingPath("/clips/a.mpg"));
    EXPECT_EQ(form->focusWidget(), form->List1);
}

TEST_F(KeysTest, EscWithAudioOnlySetsTheHeight)
{
    PlayRow(2);
    const QRect normal = form->geometry();
    form->GoFullscreen();
    const QSize fullPicture = form->Picture1->size();
    form->txtfull_KeyDown(kEsc, 0);
    EXPECT_EQ(form->HeightTwips(), 3570);
    EXPECT_EQ(form->geometry(), normal);
    EXPECT_EQ(form->Picture1->size(), fullPicture);  // left at its fullscreen size, out of sight
    EXPECT_EQ(Form1::TopTwips(form->Picture1), 3570);
}

TEST_F(KeysTest, F1PlaysTheSelectedEntryFullscreenWhateverTheShift)
{
    for (int shift : {0, 1}) {
        PlayRow(0);
        form->txtfull_KeyDown(kEsc, 0);
        Select(1);
        form->txtfull_KeyDown(kF1, shift);
        EXPECT_TRUE(channel.playingPath("/clips/b.mpg")) << shift;
        EXPECT_TRUE(form->IsMaximized()) << shift;
    }
}

TEST_F(KeysTest, F3StopsAndLeavesWithThePictureBelowTheWindow)
{
    PlayRow(0);
    const QRect normal = form->geometry();
    form->GoFullscreen();
    form->PausePlayback();
    form->txtfull_KeyDown(kF3, 0);
    EXPECT_EQ(channel.device->mode, "stopped");
    EXPECT_EQ(form->LbResult->text(), ResultCaption("Success"));
    EXPECT_FALSE(Pressed(2));
    EXPECT_FALSE(form->TimerMisc->isActive());
    EXPECT_FALSE(form->IsMaximized());
    EXPECT_EQ(form->geometry(), normal);  // F3 sets no height: the form takes back its size
    EXPECT_EQ(TwipsOf(form->Picture1), QRect(1365, 4095, 4800, 3600));
    EXPECT_EQ(form->focusWidget(), form->List1);
}

TEST_F(KeysTest, F3WithAudioLeavesThePictureSize)
{
    PlayRow(2);
    form->GoFullscreen();
    const QSize fullPicture = form->Picture1->size();
    form->txtfull_KeyDown(kF3, 0);
    EXPECT_EQ(Form1::LeftTwips(form->Picture1), 1365);
    EXPECT_EQ(Form1::TopTwips(form->Picture1), 4095);
    EXPECT_EQ(form->Picture1->size(), fullPicture);
}

TEST_F(KeysTest, OtherKeysDoNothing)
{
    PlayRow(0);
    form->GoFullscreen();
    const QRect geometry = form->geometry();
    for (int key : {0, 13, 65, 111, 116, 123, 16, 0x1000000}) {
        channel.clearLog();
        form->txtfull_KeyDown(key, 0);
        EXPECT_TRUE(channel.log.empty()) << key;
        EXPECT_EQ(form->geometry(), geometry) << key;
    }
    EXPECT_TRUE(form->IsMaximized());
}

TEST_F(KeysTest, KeysWorkInTheNormalWindowToo)
{
    Select(0);
    form->txtfull_KeyDown(kF1, 0);
    EXPECT_TRUE(form->IsMaximized());
    EXPECT_TRUE(channel.playingPath("/clips/a.mpg"));
}

}  // namespace
