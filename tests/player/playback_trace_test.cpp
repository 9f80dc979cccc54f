// SPDX-License-Identifier: GPL-3.0-or-later
// One scripted session of user actions on the scripted device, every command it sends written
// as the engine's trace writes it (code, length, text), compared line for line with the trace
// recorded from the window as it was when each media call returned only with its answer. The
// window's clocks are held, and ticked by the script, so the session is the same on every run.
#include <QFile>
#include <QRegularExpression>

#include "form_fixture.h"

namespace zelko {

namespace {

const QString kGoldenTrace = QStringLiteral(ZELKO_SOURCE_DIR "/tests/player/golden/user_actions.trace");

}  // namespace

class TraceTest : public FakeFormTest {
protected:
    void Start() override
    {
        channel.clips["/clips/d.mpg"] = {3000, 25};
        FakeFormTest::Start();
        AddEntry("d.mpg", "/clips/d.mpg");
        AddEntry("gone.mpg", "/clips/gone.mpg");  // not there: its open fails
        Form1Probe::HoldClocks(*form);
        channel.trace.clear();
    }
    // What a user's action leaves queued (a resize, a focus change) is handled before the next;
    // on a device that answers later, the action's procedure has ended too.
    void Settle()
    {
        m_leftWaiting += Form1Probe::Busy(*form) ? 1 : 0;
        QCoreApplication::processEvents();
        if (channel.answerLater) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !Form1Probe::Busy(*form) && channel.inFlight == 0; }, 5000));
        }
    }
    void DoubleClick(int row)
    {
        QListWidget* list = Playlist();
        const QRect entry = list->visualItemRect(list->item(row));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, entry.center());
    }
    void Click(const char* name) { Button(QLatin1String(name))->click(); }
    // The open file plays to its end, where the device stops.
    void End()
    {
        channel.device->positionMs = channel.device->lengthMs;
        channel.device->mode = "stopped";
    }
    void Tick(Clock clock) { Form1Probe::Tick(*form, clock); }

    // The session: every procedure the window runs, from its buttons, keys, clocks and the bus.
    void Session()
    {
        const std::vector<std::function<void()>> actions = {
            [&] { Select(0); },
            [&] { DoubleClick(0); },
            [&] { Tick(Clock::Misc); },
            [&] { Tick(Clock::AtEndFile); },
            [&] { Click("Pause"); },
            [&] { Tick(Clock::AtEndFile); },
            [&] { Click("Pause"); },
            [&] { Click("Slow Motion"); },
            [&] { Seek(50); },
            [&] { Tick(Clock::Misc); },
            [&] { Click("Fullscreen"); },
            [&] { Type(Qt::Key_F2); },
            [&] { Type(Qt::Key_Shift); },  // a second F2 alone would read as the first one held
            [&] { Type(Qt::Key_F2); },
            [&] { Type(Qt::Key_F4); },
            [&] { Type(Qt::Key_Escape); },
            [&] { Select(2); },
            [&] { Type(Qt::Key_Return); },  // the audio file, from the playlist's focus
            [&] { player().SetVolume(500); },
            [&] { Tick(Clock::Misc); },
            [&] { End(); },
            [&] { Tick(Clock::AtEndFile); },  // on to d.mpg
            [&] { Tick(Clock::Misc); },
            [&] { End(); },
            [&] { Tick(Clock::AtEndFile); },  // on to gone.mpg, which fails
            [&] { Tick(Clock::AtEndFile); },
            [&] { Tick(Clock::Misc); },
            [&] { Click("Auto Replay"); },
            [&] { Select(1); },
            [&] { Type(Qt::Key_F1); },
            [&] { Click("Fullscreen"); },
            [&] { Type(Qt::Key_F3); },
            [&] { Click("Stop"); },
            [&] { Click("Play"); },
            [&] { End(); },
            [&] { Tick(Clock::AtEndFile); },  // Auto Replay: b.mpg again
            [&] { Click("Auto Replay"); },
            [&] { player().PlayNext(); },
            [&] { player().TogglePause(); },
            [&] { player().SeekToFrame(25); },
            [&] { player().ToggleSlowMotion(); },
            [&] { player().SetFullscreen(true); },
            [&] { Type(Qt::Key_F1); },  // c.wav again, in fullscreen
            [&] { End(); },
            [&] { Tick(Clock::AtEndFile); },  // d.mpg, in fullscreen
            [&] { player().SetFullscreen(false); },
            [&] { player().PlayEntry(0); },
            [&] { Type(Qt::Key_F3); },
            [&] { Click("Close"); },
        };
        for (const auto& action : actions) {
            action();
            Settle();
        }
    }

    // The padding is in each line's length; the picture's window id is the platform's.
    int m_leftWaiting = 0;  // actions whose procedure still waited on the device when they returned

    static QStringList Lines(const std::vector<std::string>& trace)
    {
        QStringList lines;
        for (const std::string& line : trace) {
            QString text = QString::fromStdString(line);
            text.replace(QRegularExpression(QStringLiteral(" parent [0-9]+ ")), QStringLiteral(" parent # "));
            text.remove(QRegularExpression(QStringLiteral(" +$")));
            lines << text;
        }
        return lines;
    }

    // The recorded trace, with the session's commands sent and answered as given.
    void ExpectTheRecordedTrace()
    {
        QFile golden(kGoldenTrace);
        ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << kGoldenTrace.toStdString();
        const QStringList expected = QString::fromUtf8(golden.readAll()).split('\n', Qt::SkipEmptyParts);
        const QStringList sent = Lines(channel.trace);
        if (sent != expected) {
            // What was sent instead, beside the test binary, to compare with a diff.
            QFile actual(QCoreApplication::applicationDirPath() + "/user_actions.actual.trace");
            if (actual.open(QIODevice::WriteOnly)) {
                actual.write((sent.join('\n') + '\n').toUtf8());
            }
        }
        ASSERT_EQ(sent.size(), expected.size());
        for (qsizetype i = 0; i < sent.size(); ++i) {
            ASSERT_EQ(sent[i].toStdString(), expected[i].toStdString()) << "line " << i + 1;
        }
    }
};

TEST_F(TraceTest, UserActionsSendTheRecordedCommandsInTheRecordedOrder)
{
    Session();
    ExpectTheRecordedTrace();
}

// Each procedure waits for every answer and goes on from the event loop, one procedure at a
// time: the engine is sent the same commands, in the same order.
TEST_F(TraceTest, TheSameWhenEveryAnswerComesFromTheEventLoop)
{
    channel.answerLater = true;
    Session();
    ExpectTheRecordedTrace();
    EXPECT_GE(m_leftWaiting, 30) << "the actions' procedures waited on the device";
}

}  // namespace zelko
