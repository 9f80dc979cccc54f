// Fullscreen mode and the keys of txtfull on the scripted device, pressed as the toolkit
// delivers them: Esc and F3 leave fullscreen at their places, F1 plays fullscreen.
#include "form_fixture.h"

namespace {

struct LeaveCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int row;             // 0: the 320x240 video, 2: audio only
    QRect pictureTwips;  // no size: Picture1 keeps its fullscreen size, out of sight
    bool playing;
};

using KeysTest = FakeFormTest;

TEST_F(KeysTest, EscAndF3RestoreTheExactNormalGeometry)
{
    const LeaveCase cases[] = {
        {Qt::Key_Escape, {}, 0, {1050, 3570, 4800, 3600}, true},
        {Qt::Key_Escape, {}, 2, {0, 3570, 0, 0}, true},
        {Qt::Key_F3, Qt::ShiftModifier, 0, {1365, 4095, 4800, 3600}, false},
        {Qt::Key_F3, {}, 2, {1365, 4095, 0, 0}, false},
    };
    for (const LeaveCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + " on row " + std::to_string(c.row));
        Start();
        PlayRow(c.row);
        const QRect normal = form->geometry();
        form->GoFullscreen();
        form->GoFullscreen();  // a second call keeps the normal geometry
        const QSize full = form->screen()->geometry().size();
        ASSERT_EQ(form->Picture1->size(), full);
        QTest::keyClick(form->txtfull, c.key, c.modifiers);
        EXPECT_FALSE(form->IsMaximized());
        EXPECT_EQ(form->geometry(), normal);
        const QWidget* p = form->Picture1;
        EXPECT_EQ(QRect(Form1::LeftTwips(p), Form1::TopTwips(p), Form1::WidthTwips(p), Form1::HeightTwips(p)),
                  QRect(c.pictureTwips.topLeft(), c.pictureTwips.isEmpty() ? full * 15 : c.pictureTwips.size()));
        EXPECT_EQ(channel.device->mode, c.playing ? "playing" : "stopped");
        EXPECT_EQ(form->TimerMisc->isActive(), c.playing);
        EXPECT_EQ(form->focusWidget(), form->List1);
    }
}

TEST_F(KeysTest, F1PlaysFullscreenWhateverTheShiftOtherKeysDoNothing)
{
    form->List1->setCurrentRow(1);
    QTest::keyClick(form->txtfull, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(channel.playing("/clips/b.mpg"));
    EXPECT_TRUE(form->IsMaximized());
    const QRect geometry = form->geometry();
    channel.log.clear();
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_F5, Qt::Key_Space, Qt::Key_Shift})
        QTest::keyClick(form->txtfull, key);
    EXPECT_TRUE(channel.log.empty());
    EXPECT_EQ(form->geometry(), geometry);
}

}  // namespace
