// The transport toolbar on the scripted device: dispatch and focus, and the latched Pause and
// Slow Motion buttons, whose only record is the toolbar itself.
#include "form_fixture.h"

using TransportTest = FakeFormTest;

TEST_F(TransportTest, ButtonsRunTheirCommandAndFocusThePlaylistOtherIndexesDoNothing)
{
    form->List1->setCurrentRow(0);
    const std::pair<int, std::string> cases[] = {{1, "play movie from 0 to 50"}, {2, "Pause movie"}, {3, "Stop movie"},
                                                 {4, "set movie speed 400"}, {0, ""}, {6, ""}};
    for (const auto& [index, command] : cases) {
        SCOPED_TRACE(index);
        form->txtfull->setFocus();
        channel.log.clear();
        if (QAbstractButton* button = form->asxToolbar1->Button(index))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            form->asxToolbar1_ButtonClick(index, QString());
        EXPECT_TRUE(command.empty() ? channel.log.empty() : channel.count(command) == 1);
        EXPECT_EQ(form->focusWidget(), command.empty() ? static_cast<QWidget*>(form->txtfull) : form->List1);
    }
}

TEST_F(TransportTest, PauseAndSlowMotionToggleThemselvesAndStopReleasesPause)
{
    form->PausePlayback();  // nothing open: the failure shows, and the button still toggles
    EXPECT_EQ(channel.log.back(), "Pause");
    EXPECT_EQ(form->LbResult->text(), ResultCaption("fake device error 263"));
    EXPECT_TRUE(form->asxToolbar1->ButtonPressed(2));
    EXPECT_FALSE(form->TimerMisc->isActive());
    form->PausePlayback();
    EXPECT_EQ(channel.log.back(), "Resume");
    EXPECT_FALSE(form->asxToolbar1->ButtonPressed(2));
    EXPECT_TRUE(form->TimerMisc->isActive());

    PlayRow(0);
    form->PausePlayback();
    EXPECT_EQ(channel.device->mode, "paused");
    form->StopPlayback();
    EXPECT_EQ(channel.device->mode, "stopped");
    EXPECT_FALSE(form->TimerMisc->isActive());
    channel.log.clear();
    form->PausePlayback();  // Stop released Pause: this click pauses again
    EXPECT_EQ(channel.log, std::vector<std::string>{"Pause movie"});

    for (const auto& [speed, pressed] : {std::pair{400, true}, std::pair{1000, false}}) {
        form->SlowMotion();
        EXPECT_EQ(channel.device->speed, speed);
        EXPECT_EQ(form->asxToolbar1->ButtonPressed(4), pressed);
    }
}
