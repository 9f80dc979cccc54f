// The caption bar's stand-ins: the left button on the background or the video area drags the
// whole window, other buttons do nothing; the title scroll pass, one at a time, ending with the
// window.
#include <QCursor>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "helpers/picture_box.h"
#include "player/form1.h"
#include "player/video_host.h"
#include "window_support.h"

namespace {

class WindowChrome : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<Form1>(channel);
        form->move(100, 100);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override
    {
        // A drag that is still following the pointer ends with the button's release.
        QTest::mouseRelease(form.get(), Qt::LeftButton, {}, kBackground);
        form.reset();
    }

    // Presses at `from` inside `target`, then moves the pointer 40 px right and 25 px down with
    // the button held, and reports where the window went.
    QPoint DragFrom(QWidget* target, Qt::MouseButton button, QPoint from)
    {
        const QPoint before = form->pos();
        const QPoint to = from + QPoint(40, 25);
        QCursor::setPos(target->mapToGlobal(from));  // the pointer is where the press lands
        QTest::mousePress(target, button, {}, from);
        QCursor::setPos(target->mapToGlobal(to));
        QTest::mouseMove(target, to);
        // The pointer stays where it is while the window moves under it.
        QTest::mouseRelease(target, button, {}, to - (form->pos() - before));
        return form->pos() - before;
    }

    static constexpr QPoint kBackground{440, 150};  // no control there
    TempCwd cwd;
    RecordingChannel channel;
    std::unique_ptr<Form1> form;
};

TEST_F(WindowChrome, TheLeftButtonOnTheBackgroundDragsTheWindow)
{
    ASSERT_EQ(form->childAt(kBackground), nullptr);
    EXPECT_EQ(DragFrom(form.get(), Qt::LeftButton, kBackground), QPoint(40, 25));
}

TEST_F(WindowChrome, OtherButtonsOnTheBackgroundDoNotMoveTheWindow)
{
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton})
        EXPECT_EQ(DragFrom(form.get(), button, kBackground), QPoint(0, 0)) << button;
}

TEST_F(WindowChrome, APressOnAControlIsNotAPressOnTheBackground)
{
    EXPECT_EQ(DragFrom(form->Label2, Qt::LeftButton, QPoint(10, 10)), QPoint(0, 0));
    EXPECT_EQ(DragFrom(form->Picture2, Qt::LeftButton, QPoint(10, 10)), QPoint(0, 0));
}

TEST_F(WindowChrome, TheLeftButtonOnThePictureDragsTheWholeWindowNotThePicture)
{
    form->SetHeightTwips(3570 + 2955 + 315);  // as a video would make it
    const QRect picture = form->Picture1->geometry();
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton})
        EXPECT_EQ(DragFrom(form->Picture1, button, QPoint(20, 20)), QPoint(0, 0)) << button;
    EXPECT_EQ(DragFrom(form->Picture1, Qt::LeftButton, QPoint(20, 20)), QPoint(40, 25));
    EXPECT_EQ(form->Picture1->geometry(), picture);
}

TEST_F(WindowChrome, AScrollPassDrawsTheNameInBlueOnTheGreenStrip)
{
    form->Lbname->setText("ab");
    QSignalSpy steps(form->Picture2, &PictureBox::Clearing);
    form->Timerscroll_Timer();
    EXPECT_GT(steps.size(), 10);
    EXPECT_EQ(form->Picture2->ForeColor(), QColor(0, 0, 255));
    EXPECT_EQ(form->Picture2->BackColor(), QColor(0, 255, 0));
    EXPECT_EQ(form->Picture2->DrawingFont().family(), "Courier New");
    EXPECT_TRUE(form->Picture2->InCharacterUnits());
}

TEST_F(WindowChrome, ATickDuringAPassIsDroppedAndThePassRunsOn)
{
    form->Lbname->setText("a name");
    QSignalSpy steps(form->Picture2, &PictureBox::Clearing);
    bool nestedReturned = false;
    qsizetype stepsAtNestedTick = 0;
    QTimer::singleShot(100, form.get(), [&] {
        stepsAtNestedTick = steps.size();
        form->Timerscroll_Timer();  // as the timer would tick in the middle of the pass
        nestedReturned = true;
    });
    form->Timerscroll_Timer();
    EXPECT_TRUE(nestedReturned);
    EXPECT_GT(stepsAtNestedTick, 0);
    EXPECT_GT(steps.size(), stepsAtNestedTick) << "the first pass went on after the dropped tick";
}

TEST_F(WindowChrome, ClosingTheWindowMidPassEndsThePassAndSavesThePlaylist)
{
    // This name takes about half a minute to cross the strip.
    form->Lbname->setText(QString(400, QLatin1Char('x')));
    form->List1->addItem("kept");
    form->Timerscroll->start();
    QTimer::singleShot(200, form.get(), [&] { form->close(); });
    QElapsedTimer clock;
    clock.start();
    form->Timerscroll_Timer();
    EXPECT_LT(clock.elapsed(), 10000) << "the pass outlived the window";
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Timerscroll->isActive());
    EXPECT_EQ(ReadBytes(cwd.file("pl1.txt")), "kept\r\n");
    form->Timerscroll_Timer();  // a late tick after the close does nothing
}

}  // namespace
