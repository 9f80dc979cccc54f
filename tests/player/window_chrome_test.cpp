// SPDX-License-Identifier: GPL-3.0-or-later
// The caption bar's stand-ins: the left button on the background or the video area drags the
// whole window, other buttons do nothing; the title scroll pass runs one at a time and ends
// with the window.
#include <QCursor>
#include <QSignalSpy>

#include "form_fixture.h"
#include "helpers/bas_scroller.h"
#include "helpers/picture_box.h"

namespace zelko {

using WindowChrome = FakeFormTest;

TEST_F(WindowChrome, OnlyTheLeftButtonOnTheBackgroundDragsTheWindow)
{
    form->move(100, 100);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QPoint from(440, 150), to = from + QPoint(40, 25);
    ASSERT_EQ(form->childAt(from), nullptr) << "the background";
    // Presses, moves the pointer with the button held, and reports where the window went.
    const auto drag = [&](Qt::MouseButton button) {
        const QPoint before = form->pos();
        QCursor::setPos(form->mapToGlobal(from));
        QTest::mousePress(form.get(), button, {}, from);
        QCursor::setPos(form->mapToGlobal(to));
        QTest::mouseMove(form.get(), to);
        QTest::mouseRelease(form.get(), button, {}, to - (form->pos() - before));  // the pointer stays put
        return form->pos() - before;
    };
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        EXPECT_EQ(drag(button), QPoint(0, 0)) << button;
    }
    EXPECT_EQ(drag(Qt::LeftButton), QPoint(40, 25));
}

TEST_F(WindowChrome, ATickDuringAPassIsDroppedAndThePassRunsOn)
{
    PlayRow(0);  // "a.mpg" scrolls
    PictureBox* strip = TitleStrip();
    QSignalSpy steps(strip, &PictureBox::Clearing);
    Form1Probe::Tick(*form, Clock::Scroll);
    ASSERT_TRUE(QTest::qWaitFor([&] { return steps.size() >= 3; }, 30000));
    Form1Probe::Tick(*form, Clock::Scroll);  // as the timer would tick in the middle of the pass
    ASSERT_TRUE(QTest::qWaitFor([&] { return !basScroller::IsScrolling(strip); }, 60000));
    EXPECT_EQ(steps.size(), basScroller::StepCount(strip->ScaleWidth(), strip->FontSize(), 5))
        << "one whole pass, not restarted by the tick";
}

TEST_F(WindowChrome, ClosingTheWindowEndsThePass)
{
    const QString name(400, QLatin1Char('x'));  // about half a minute to cross the strip
    channel.clips["/clips/x.wav"] = {};
    AddEntry(name, "/clips/x.wav");
    PlayRow(3);
    ASSERT_TRUE(Form1Probe::Running(*form, Clock::Scroll));
    Form1Probe::Tick(*form, Clock::Scroll);
    ASSERT_TRUE(basScroller::IsScrolling(TitleStrip()));
    form->close();
    EXPECT_FALSE(basScroller::IsScrolling(TitleStrip()));
    EXPECT_FALSE(Form1Probe::Running(*form, Clock::Scroll));
    Form1Probe::Tick(*form, Clock::Scroll);  // a late tick after the close does nothing
    EXPECT_FALSE(basScroller::IsScrolling(TitleStrip()));
}

}  // namespace zelko
