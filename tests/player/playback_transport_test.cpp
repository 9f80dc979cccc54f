// SPDX-License-Identifier: GPL-3.0-or-later
// The transport on the scripted device: the toolbar's dispatch and focus, the latched Pause and
// Slow Motion buttons (whose only record is the toolbar itself), and fullscreen mode with the
// keys of txtfull and the window's own, pressed as the toolkit delivers them.
#include <QRegularExpression>

#include "form_fixture.h"

namespace zelko {

using TransportTest = FakeFormTest;

TEST_F(TransportTest, ButtonsRunTheirCommandAndFocusThePlaylistOtherIndexesDoNothing)
{
    form->List1->setCurrentRow(0);
    const struct {
        const char* name;
        int index;
        const char* command;  // null: the index names no transport button
    } cases[] = {{"Play", 1, "play movie from 0 to 50"},   {"Pause", 2, "Pause movie"},    {"Stop", 3, "Stop movie"},
                 {"SlowMotion", 4, "set movie speed 400"}, {"BeforeTheFirst", 0, nullptr}, {"PastTheLast", 6, nullptr}};
    for (const auto& [name, index, command] : cases) {
        SCOPED_TRACE(name);
        form->txtfull->setFocus();
        channel.log.clear();
        emit form->asxToolbar1->ButtonClick(index, QString());
        if (command) {
            EXPECT_EQ(channel.count(command), 1);
            EXPECT_EQ(form->focusWidget(), form->List1);
        } else {
            EXPECT_EQ(channel.log, std::vector<std::string>{});
            EXPECT_EQ(form->focusWidget(), form->txtfull);
        }
    }
}

// The tip of each of the first four transport buttons names the key that stands in for it, in
// fullscreen mode (txtfull's keys) and in the normal window (the window's, from the playlist),
// and that key sends the button's own transport command, once.
TEST_F(TransportTest, EachTipNamesTheKeyThatDoesWhatItsButtonDoes)
{
    for (const bool fullscreen : {true, false}) {
        const auto transportSent = [&](const std::function<void()>& press) {
            Start();
            PlayRow(0);
            if (fullscreen) {
                form->GoFullscreen();
            } else {
                form->List1->setFocus();
            }
            channel.log.clear();
            press();
            std::vector<std::string> sent;
            for (const std::string& command : channel.log) {
                if (QRegularExpression("^(play|Pause|Resume|Stop|set movie speed) ")
                        .match(command.c_str())
                        .hasMatch()) {
                    sent.push_back(command);
                }
            }
            return sent;
        };
        for (int index = 1; index <= 4; ++index) {
            const QString tip = form->asxToolbar1->Button(index)->toolTip();
            SCOPED_TRACE(tip.toStdString() + (fullscreen ? " in fullscreen" : " in the window"));
            const QRegularExpressionMatch key = QRegularExpression("  (F[1-4])$").match(tip);
            ASSERT_TRUE(key.hasMatch());
            const auto byKey = transportSent([&] {
                // Start() makes the window anew: the focus is read from the one that is there.
                QWidget* focus = fullscreen ? static_cast<QWidget*>(form->txtfull) : form->List1;
                QTest::keyClick(focus, QKeySequence(key.captured(1))[0].key());
            });
            EXPECT_FALSE(byKey.empty());
            EXPECT_EQ(byKey, transportSent([&] { form->asxToolbar1_ButtonClick(index, QString()); }));
        }
    }
}

TEST_F(TransportTest, PauseAndSlowMotionToggleThemselvesAndStopReleasesPause)
{
    form->PausePlayback();  // nothing open: the failure shows, and the button still toggles
    EXPECT_EQ(channel.log.back(), "Pause");
    EXPECT_EQ(form->LbResult->text(), "Result calling Function is : fake device error 263");
    EXPECT_TRUE(form->asxToolbar1->ButtonPressed(2));
    EXPECT_FALSE(form->TimerMisc->isActive());
    form->PausePlayback();
    EXPECT_EQ(channel.log.back(), "Resume");
    EXPECT_FALSE(form->asxToolbar1->ButtonPressed(2));
    EXPECT_TRUE(form->TimerMisc->isActive());

    PlayRow(2);
    EXPECT_EQ(form->mTotalMinutes, 2);  // of 125.6 s
    EXPECT_EQ(form->mTotalSecondsText, "05");
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

struct LeaveCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int row;             // 0: the 320x240 video, 2: audio only
    QRect pictureTwips;  // no size: Picture1 keeps its fullscreen size, out of sight
    bool playing;
};

TEST_F(TransportTest, EscAndF3RestoreTheExactNormalGeometry)
{
    const LeaveCase cases[] = {
        {"EscOnVideo", Qt::Key_Escape, {}, 0, {1050, 3570, 4800, 3600}, true},
        {"EscOnAudio", Qt::Key_Escape, {}, 2, {0, 3570, 0, 0}, true},
        {"ShiftF3OnVideo", Qt::Key_F3, Qt::ShiftModifier, 0, {1365, 4095, 4800, 3600}, false},
        {"F3OnAudio", Qt::Key_F3, {}, 2, {1365, 4095, 0, 0}, false},
    };
    for (const LeaveCase& c : cases) {
        SCOPED_TRACE(c.name);
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
        EXPECT_EQ(form->Picture1->geometry(),
                  QRect(c.pictureTwips.topLeft() / 15, c.pictureTwips.isEmpty() ? full : c.pictureTwips.size() / 15));
        EXPECT_EQ(channel.device->mode, c.playing ? "playing" : "stopped");
        EXPECT_EQ(form->TimerMisc->isActive(), c.playing);
        EXPECT_EQ(form->focusWidget(), form->List1);
    }
}

TEST_F(TransportTest, F1PlaysFullscreenWhateverTheShiftOtherKeysDoNothing)
{
    form->List1->setCurrentRow(1);
    QTest::keyClick(form->txtfull, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(channel.playing("/clips/b.mpg"));
    EXPECT_TRUE(form->IsMaximized());
    const QRect geometry = form->geometry();
    channel.log.clear();
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_F5, Qt::Key_Space, Qt::Key_Shift}) {
        QTest::keyClick(form->txtfull, key);
    }
    EXPECT_TRUE(channel.log.empty());
    EXPECT_EQ(form->geometry(), geometry);
}

}  // namespace zelko
