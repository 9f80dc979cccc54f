// SPDX-License-Identifier: GPL-3.0-or-later
// The transport on the scripted device: the toolbar's buttons and where they leave the focus,
// the latched Pause and Slow Motion buttons as a screen reader reads them, and fullscreen mode
// with the keys of txtfull and the window's own, typed where the focus is.
#include <QRegularExpression>

#include "form_fixture.h"

namespace zelko {

using TransportTest = FakeFormTest;

TEST_F(TransportTest, ButtonsRunTheirCommandAndFocusThePlaylist)
{
    Select(0);
    const std::pair<const char*, const char*> cases[] = {{"Play", "play movie from 0 to 50"},
                                                         {"Pause", "Pause movie"},
                                                         {"Stop", "Stop movie"},
                                                         {"Slow Motion", "set movie speed 400"}};
    for (const auto& [name, command] : cases) {
        SCOPED_TRACE(name);
        Slider()->setFocus();
        channel.log.clear();
        Button(name)->click();
        EXPECT_EQ(channel.count(command), 1);
        EXPECT_EQ(FocusName(), "Playlist");
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
                Button("Fullscreen")->click();
            } else {
                Playlist()->setFocus();
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
            // Start() makes the window anew: the buttons are read from the one that is there.
            const QString tip = Toolbar("Playback")->Button(index)->toolTip();
            SCOPED_TRACE(tip.toStdString() + (fullscreen ? " in fullscreen" : " in the window"));
            const QRegularExpressionMatch key = QRegularExpression("  (F[1-4])$").match(tip);
            ASSERT_TRUE(key.hasMatch());
            const auto byKey = transportSent([&] { Type(Qt::Key(QKeySequence(key.captured(1))[0].key())); });
            EXPECT_FALSE(byKey.empty());
            EXPECT_EQ(byKey, transportSent([&] { Toolbar("Playback")->Button(index)->click(); }));
        }
    }
}

TEST_F(TransportTest, PauseAndSlowMotionToggleThemselvesAndStopReleasesPause)
{
    Button("Pause")->click();  // nothing open: the failure shows, and the button still toggles
    EXPECT_EQ(channel.log.back(), "Pause");
    EXPECT_EQ(Form1Probe::ResultShown(*form), "Result calling Function is : fake device error 263");
    EXPECT_TRUE(Latched("Pause"));
    EXPECT_FALSE(Form1Probe::Running(*form, Clock::Misc));
    EXPECT_EQ(player().Now().status, Player::Status::Paused);
    Button("Pause")->click();
    EXPECT_EQ(channel.log.back(), "Resume");
    EXPECT_FALSE(Latched("Pause"));
    EXPECT_TRUE(Form1Probe::Running(*form, Clock::Misc));
    EXPECT_EQ(player().Now().status, Player::Status::Stopped) << "the resume failed: nothing plays";

    PlayRow(2);
    Form1Probe::Tick(*form, Clock::Misc);
    EXPECT_EQ(TimeShown(), "0:00 / 2:05");  // of 125.6 s
    Button("Pause")->click();
    EXPECT_EQ(channel.device->mode, "paused");
    EXPECT_EQ(player().Now().status, Player::Status::Paused);
    Button("Stop")->click();
    EXPECT_EQ(channel.device->mode, "stopped");
    EXPECT_FALSE(Latched("Pause"));
    EXPECT_FALSE(Form1Probe::Running(*form, Clock::Misc));
    channel.log.clear();
    Button("Pause")->click();  // Stop released Pause: this click pauses again
    EXPECT_EQ(channel.log, std::vector<std::string>{"Pause movie"});

    for (const auto& [speed, pressed] : {std::pair{400, true}, std::pair{1000, false}}) {
        Button("Slow Motion")->click();
        EXPECT_EQ(channel.device->speed, speed);
        EXPECT_EQ(Latched("Slow Motion"), pressed);
        EXPECT_EQ(player().Now().slowMotion, pressed);
    }
    // A new file plays at its own speed, and Slow Motion stays as it was.
    Button("Slow Motion")->click();
    PlayRow(0);
    EXPECT_TRUE(Latched("Slow Motion"));
    EXPECT_FALSE(Latched("Pause"));
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
        Button("Fullscreen")->click();
        Button("Fullscreen")->click();  // a second time keeps the normal geometry
        const QSize full = form->screen()->geometry().size();
        ASSERT_EQ(Video()->size(), full);
        ASSERT_EQ(FocusName(), "Fullscreen keys");
        Type(c.key, c.modifiers);
        EXPECT_FALSE(form->isMaximized());
        EXPECT_EQ(form->geometry(), normal);
        EXPECT_EQ(Video()->geometry(),
                  QRect(c.pictureTwips.topLeft() / 15, c.pictureTwips.isEmpty() ? full : c.pictureTwips.size() / 15));
        EXPECT_EQ(channel.device->mode, c.playing ? "playing" : "stopped");
        EXPECT_EQ(Form1Probe::Running(*form, Clock::Misc), c.playing);
        EXPECT_EQ(FocusName(), "Playlist");
    }
}

TEST_F(TransportTest, F1PlaysFullscreenWhateverTheShiftOtherKeysDoNothing)
{
    Select(1);
    Button("Fullscreen")->click();
    Type(Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(channel.playing("/clips/b.mpg"));
    EXPECT_TRUE(form->isMaximized());
    const QRect geometry = form->geometry();
    channel.log.clear();
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_F5, Qt::Key_Space, Qt::Key_Shift}) {
        Type(key);
    }
    EXPECT_TRUE(channel.log.empty());
    EXPECT_EQ(geometry, form->geometry());
}

}  // namespace zelko
