// SPDX-License-Identifier: GPL-3.0-or-later
// The title strip with its frames kept in the X server, on a real X screen, at the scale the
// program runs at (100, 150 and 200 %): stepped, each frame is what the window paints itself,
// pixel for pixel; handed to the server for a whole pass, the frames come in order and end on
// the last; while the strip cannot be seen nothing waits in the server, and when it can again it
// shows the frame the pass has come to. What the window paints is read back the same way, with
// the frames not kept, so the two are compared on the same screen at the same scale.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <functional>
#include <iostream>
#include <vector>

#include "helpers/bas_scroller.h"
#include "helpers/picture_box.h"

namespace zelko {

namespace {

constexpr uint32_t kBlue = 0xFF0000;  // 0x00BBGGRR
constexpr double kAmplitude = 0.1;
constexpr int kStepMs = 30;
constexpr int kDeadlineMs = 60000;
const QString kTitle = QStringLiteral("song30.mp3");

// Picture2 where the main window has it: 3360 x 735 twips into the window, 3480 x 525 twips
// (at 150 % its top edge falls inside a device pixel), green on the window's black. As in the
// main window, a native sibling (the video area) makes the strip a native window of its own;
// without one it is painted into the window's.
struct StripWindow {
    QWidget window;
    PictureBox* strip;

    explicit StripWindow(bool nativeSibling = true)
    {
        window.setWindowFlag(Qt::FramelessWindowHint);
        QPalette black = window.palette();
        black.setColor(QPalette::Window, Qt::black);
        window.setPalette(black);
        window.setAutoFillBackground(true);
        window.setGeometry(40, 40, 480, 100);
        strip = new PictureBox(&window);
        strip->setGeometry(224, 49, 232, 35);
        strip->SetBackColor(Qt::green);
        if (nativeSibling) {
            auto* video = new QWidget(&window);
            video->setAttribute(Qt::WA_NativeWindow);
            video->setGeometry(0, 0, 40, 40);
        }
        window.show();
    }
};

QImage Shot(QWidget& window)
{
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

bool Ends(const PictureBox* strip)
{
    return QTest::qWaitFor([&] { return !basScroller::IsScrolling(strip); }, kDeadlineMs);
}

void Pass(PictureBox* strip)
{
    basScroller::ScrollText(strip, kTitle, 12, 3.0, kAmplitude, kBlue);
}

// Every frame of a stepped pass as the screen shows it: read when the next step starts, and
// after the last (once its flush has reached the server).
std::vector<QImage> SteppedPass(StripWindow& w)
{
    std::vector<QImage> frames;
    const auto grab = QObject::connect(w.strip, &PictureBox::Clearing, [&] { frames.push_back(Shot(w.window)); });
    Pass(w.strip);
    EXPECT_TRUE(Ends(w.strip));
    QTest::qWait(100);
    frames.push_back(Shot(w.window));
    QObject::disconnect(grab);
    frames.erase(frames.begin());  // what showed before the first step
    return frames;
}

// The frames the window paints itself, without keeping them.
std::vector<QImage> PaintedPass(StripWindow& w)
{
    w.strip->SetKeepFrames(false);
    std::vector<QImage> frames = SteppedPass(w);
    w.strip->SetKeepFrames(true);
    return frames;
}

// The index of `shot` among `frames` from `from` on, or -1.
int FrameAt(const std::vector<QImage>& frames, const QImage& shot, size_t from = 0)
{
    const auto found = std::find(frames.begin() + long(from), frames.end(), shot);
    return found == frames.end() ? -1 : static_cast<int>(found - frames.begin());
}

// The frame shows that a pass run by the server has come to at `elapsedMs`, give or take the
// time the grab took and the machine's load.
void ExpectFrameOfTheClock(const std::vector<QImage>& frames, const QImage& shot, qint64 fromMs, qint64 toMs)
{
    const int at = FrameAt(frames, shot);
    ASSERT_GE(at, 0) << "the strip shows no frame of the pass";
    const qint64 earliest = fromMs / kStepMs - 3;
    const qint64 latest = toMs / kStepMs + 1;
    if (FrameAt(frames, shot, size_t(std::max<qint64>(0, earliest))) > latest) {
        ADD_FAILURE() << "frame " << at << " at " << fromMs << "-" << toMs << " ms";
    }
}

}  // namespace

class SteppedFrames : public testing::TestWithParam<bool> {};

TEST_P(SteppedFrames, AreWhatTheWindowPaintsAtItsScale)
{
    StripWindow w(GetParam());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    EXPECT_EQ(w.strip->internalWinId() != 0, GetParam());
    const std::vector<QImage> painted = PaintedPass(w);
    EXPECT_EQ(w.strip->Frames().count, 0);
    const std::vector<QImage> shown = SteppedPass(w);
    const PictureBox::FramesState kept = w.strip->Frames();
    ASSERT_EQ(kept.count, basScroller::StepCount(w.strip->ScaleWidth(), w.strip->FontSize(), kTitle.size()));
    EXPECT_TRUE(kept.mapped);
    ASSERT_EQ(shown.size(), painted.size());
    int inked = 0;
    for (size_t k = 0; k < shown.size(); ++k) {
        ASSERT_EQ(shown[k], painted[k]) << "frame " << k << " at " << w.window.devicePixelRatioF();
        inked += shown[k] != shown.back();
    }
    EXPECT_GT(inked, kept.count / 2);  // the comparison saw the text
    std::cout << "at " << w.window.devicePixelRatioF() << (GetParam() ? ", native" : ", painted into the window")
              << ": " << kept.count << " frames, " << kept.serverBytes << " bytes in the X server, made in "
              << kept.madeNs / 1e6 << " ms\n";

    // A second pass of the same title shows the same frames, made no more.
    EXPECT_EQ(SteppedPass(w), painted);
    EXPECT_EQ(w.strip->Frames().madeNs, kept.madeNs);
}

INSTANTIATE_TEST_SUITE_P(TitleStripFrames, SteppedFrames, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "NativeStrip" : "StripPaintedIntoTheWindow";
                         });

// Passes one after the other, as the main window's timer starts them: each one's frames come in
// order, end on the last, and are made once.
TEST(TitleStripFrames, HandedToTheServerTheyComeInOrderAndEndOnTheLast)
{
    StripWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    const std::vector<QImage> painted = PaintedPass(w);
    qint64 madeNs = 0;
    for (int pass = 0; pass < 2; ++pass) {
        QElapsedTimer clock;
        clock.start();
        Pass(w.strip);
        // The first pass of a title makes its frames before it starts, on the window's thread.
        std::cout << "pass " << pass << " started in " << clock.nsecsElapsed() / 1e6 << " ms\n";
        EXPECT_TRUE(w.strip->Frames().running);
        EXPECT_TRUE(w.strip->Frames().queued);
        size_t at = 0;
        std::vector<int> seen;
        while (basScroller::IsScrolling(w.strip)) {
            const int found = FrameAt(painted, Shot(w.window), at);
            ASSERT_GE(found, 0) << "pass " << pass << ": a picture that is no frame of the pass, or one before the "
                                << "last seen (" << at << ")";
            at = size_t(found);
            seen.push_back(found);
            QTest::qWait(5);
        }
        EXPECT_GE(clock.elapsed(), qint64(painted.size()) * kStepMs);
        QTest::qWait(100);
        EXPECT_EQ(Shot(w.window), painted.back()) << "pass " << pass;
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        EXPECT_GT(seen.size(), 10u) << "pass " << pass << ": the strip hardly moved";
        if (pass == 0) {
            madeNs = w.strip->Frames().madeNs;
        }
    }
    EXPECT_EQ(w.strip->Frames().madeNs, madeNs);
}

// A pass longer than the server is given at once (100 frames) is handed over in parts, the next
// before the one before runs out: its frames still come in order, all the way to the last.
TEST(TitleStripFrames, ALongPassIsHandedOverInPartsAndComesWhole)
{
    StripWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    const QString text(40, QLatin1Char('w'));  // 155 frames, kept at 200 % too
    w.strip->SetKeepFrames(false);
    std::vector<QImage> painted;
    const auto grab = QObject::connect(w.strip, &PictureBox::Clearing, [&] { painted.push_back(Shot(w.window)); });
    basScroller::ScrollText(w.strip, text, 12, 0.0, kAmplitude, kBlue);
    ASSERT_TRUE(Ends(w.strip));
    QTest::qWait(100);
    painted.push_back(Shot(w.window));
    QObject::disconnect(grab);
    painted.erase(painted.begin());
    w.strip->SetKeepFrames(true);

    basScroller::ScrollText(w.strip, text, 12, 1.0, kAmplitude, kBlue);  // 10 ms a step
    ASSERT_GT(w.strip->Frames().count, 150);
    size_t at = 0;
    int latest = 0;
    while (basScroller::IsScrolling(w.strip)) {
        const int found = FrameAt(painted, Shot(w.window), at);
        ASSERT_GE(found, 0) << "a picture that is no frame of the pass, or one before the last seen (" << at << ")";
        at = size_t(found);
        latest = std::max(latest, found);
        QTest::qWait(2);
    }
    QTest::qWait(100);
    EXPECT_EQ(Shot(w.window), painted.back());
    EXPECT_GT(latest, 120) << "the second part never came";
}

// A title whose frames would take more of the server's memory than a strip is allowed is
// painted step by step, and finding that out does not hold the window up.
TEST(TitleStripFrames, ATitleTooLongToKeepIsPaintedStepByStep)
{
    StripWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    QElapsedTimer started;
    started.start();
    basScroller::ScrollText(w.strip, QString(400, QLatin1Char('w')), 12, 3.0, kAmplitude, kBlue);
    const qint64 ms = started.elapsed();
    std::cout << "a 400-character title: given up keeping its frames after " << ms << " ms\n";
    EXPECT_EQ(w.strip->Frames().count, 0);
    EXPECT_TRUE(basScroller::IsScrolling(w.strip));
    const QImage blank = Shot(w.window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shot(w.window) != blank; }, 5000)) << "no step was painted";
    basScroller::EndPass(w.strip);
}

// The pass ends, and once its last frame has reached the server the strip shows it.
void EndsOnTheLastFrame(StripWindow& w, const std::vector<QImage>& painted)
{
    ASSERT_TRUE(Ends(w.strip));
    QTest::qWait(100);
    EXPECT_EQ(Shot(w.window), painted.back());
}

// A pass that stops being seen (`hide`) and is seen again (`show`) on its way: meanwhile no frame
// waits in the server while the pass's time goes on; seen again, the strip shows the frame the
// pass has come to, and it ends on the last.
void HiddenAndSeenAgain(StripWindow& w, const std::function<void()>& hide, const std::function<void()>& show)
{
    const std::vector<QImage> painted = PaintedPass(w);
    QElapsedTimer clock;
    clock.start();
    Pass(w.strip);
    QTest::qWait(250);
    hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.strip->Frames().queued; }, 5000)) << "frames still wait in the server";
    EXPECT_TRUE(w.strip->Frames().running);
    QTest::qWait(450);
    show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.strip->Frames().queued || !w.strip->Frames().running; }, 5000));
    const qint64 before = clock.elapsed();
    ExpectFrameOfTheClock(painted, Shot(w.window), before, clock.elapsed());
    EndsOnTheLastFrame(w, painted);
}

TEST(TitleStripFrames, CoveredNothingWaitsInTheServerAndUncoveredTheRightFrameShows)
{
    StripWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    QWidget cover;
    cover.setWindowFlag(Qt::FramelessWindowHint);
    cover.setGeometry(w.window.geometry().adjusted(-10, -10, 10, 10));
    const auto covered = [&](bool shown) {
        cover.setVisible(shown);
        EXPECT_TRUE(!shown || QTest::qWaitForWindowExposed(&cover));
    };
    HiddenAndSeenAgain(
        w, [&] { covered(true); }, [&] { covered(false); });
    // Covered and uncovered after the pass, it shows the last frame again.
    const QImage last = Shot(w.window);
    covered(true);
    covered(false);
    QTest::qWait(200);
    EXPECT_EQ(Shot(w.window), last);
}

// What a window manager does to a minimized window: it unmaps it.
TEST(TitleStripFrames, UnmappedLikeAMinimizedWindowNothingWaitsAndMappedItGoesOn)
{
    StripWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    const auto mapped = [&](bool shown) {
        const QString command = shown ? QStringLiteral("windowmap") : QStringLiteral("windowunmap");
        EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"),
                                    {command, QStringLiteral("--sync"), QString::number(w.window.winId())}),
                  0);
    };
    HiddenAndSeenAgain(
        w, [&] { mapped(false); }, [&] { mapped(true); });
}

TEST(TitleStripFrames, DrawingOnTheStripDuringAPassPaintsTheRestOfIt)
{
    StripWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    const std::vector<QImage> painted = PaintedPass(w);
    Pass(w.strip);
    QTest::qWait(300);
    w.strip->Cls();
    EXPECT_FALSE(w.strip->Frames().mapped);
    EXPECT_TRUE(basScroller::IsScrolling(w.strip));
    EndsOnTheLastFrame(w, painted);
}

// The frames' window is out of the pointer's way: coming over the strip, the pointer enters the
// box itself, and a press on it reaches the box, as when the box painted its frames.
TEST(TitleStripFrames, ThePointerComesOverAndPressesTheBoxThroughTheFrames)
{
    StripWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    Pass(w.strip);
    ASSERT_TRUE(w.strip->Frames().mapped);
    struct Pointer : QObject {
        int enters = 0;
        int presses = 0;
        QPoint pressedAt;
        bool eventFilter(QObject*, QEvent* event) override
        {
            enters += event->type() == QEvent::Enter;
            if (event->type() == QEvent::MouseButtonPress) {
                ++presses;
                pressedAt = static_cast<QMouseEvent*>(event)->position().toPoint();
            }
            return false;
        }
    } pointer;
    w.strip->installEventFilter(&pointer);
    // xdotool speaks the X server's pixels.
    const QPoint centre = w.strip->mapToGlobal(QPoint(116, 17)) * w.window.devicePixelRatioF();
    const auto xdotool = [](const QStringList& args) { return QProcess::execute(QStringLiteral("xdotool"), args); };
    ASSERT_EQ(
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("0"), QStringLiteral("0")}), 0);
    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(centre.x()),
                       QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")}),
              0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pointer.presses == 1; }, 5000));
    EXPECT_GE(pointer.enters, 1);
    EXPECT_NEAR(pointer.pressedAt.x(), 116, 1);
    EXPECT_NEAR(pointer.pressedAt.y(), 17, 1);
    ASSERT_TRUE(Ends(w.strip));
}

TEST(TitleStripFrames, AScreenReaderStillReadsTheTitleOnTheStrip)
{
    StripWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    w.strip->setAccessibleName(kTitle);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&w.window);
    ASSERT_NE(window, nullptr);
    const int controls = window->childCount();
    Pass(w.strip);
    ASSERT_TRUE(w.strip->Frames().mapped);
    QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(w.strip);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->text(QAccessible::Name), kTitle);
    EXPECT_EQ(strip->childCount(), 0);
    EXPECT_EQ(window->childCount(), controls);  // the frames' window is no control
    ASSERT_TRUE(Ends(w.strip));
}

}  // namespace zelko
