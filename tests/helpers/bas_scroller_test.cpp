// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/bas_scroller.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "helpers/picture_box.h"

namespace zelko {

namespace {

constexpr uint32_t kBlue = 0xFF0000;  // 0x00BBGGRR

// Picture2 of the main window: 3480 x 525 twips, green.
struct Strip : PictureBox {
    Strip()
    {
        resize(232, 35);
        SetBackColor(Qt::green);
    }
};

// Whether `area` holds pixels other than the green back colour; `blue` is set if one is pure blue.
bool hasInk(const QImage& image, const QRect& area, bool* blue = nullptr)
{
    bool ink = false;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y) | 0xff000000;
            ink |= pixel != QColor(Qt::green).rgb();
            if (blue && pixel == 0xff0000ffu) {
                *blue = true;
            }
        }
    }
    return ink;
}

// Waits for the target's pass to end (it runs on the event loop).
void finishPass(const PictureBox& target)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !basScroller::IsScrolling(&target); }, 60000));
}

}  // namespace

// Every frame of a pass as the strip shows it: the frame of step k is still on the canvas when
// step k + 1 clears it, and the last one stays after the pass.
TEST(ScrollText, StepsFromTheRightEdgeUntilTheTextHasLeftAndLeavesNothingBehind)
{
    // 232 pixels are 29 units; 12 pt cells are 1.2 units, so the pass ends at X = floor(-1.2 n).
    for (const auto& [text, steps] :
         {std::pair<QString, int>("", 29 * 2 + 1), {"Zelko clip.mpg", 93}, {QString(40, 'x'), 155}}) {
        Strip strip;
        std::vector<QImage> frames;
        QObject::connect(&strip, &PictureBox::Clearing, [&] { frames.push_back(strip.grab().toImage()); });
        basScroller::ScrollText(&strip, text, 12, 0, 0.1, kBlue);
        EXPECT_TRUE(basScroller::IsScrolling(&strip));
        finishPass(strip);
        frames.push_back(strip.grab().toImage());
        frames.erase(frames.begin());  // the blank canvas before the first step
        ASSERT_EQ(frames.size(), static_cast<size_t>(steps)) << text.toStdString();
        EXPECT_EQ(strip.Frames().count, 0);  // offscreen no frames are kept: each step is drawn
        EXPECT_EQ(basScroller::StepCount(strip.ScaleWidth(), strip.FontSize(), text.size()), steps);
        if (text.isEmpty()) {
            continue;
        }
        // Step 1 puts the first character at X 29, just outside; by step 3 (X 28) it shows in blue,
        // only in the last cell; at the end nothing is left.
        bool blue = false;
        EXPECT_FALSE(hasInk(frames[0], strip.rect()));
        EXPECT_TRUE(hasInk(frames[2], QRect(224, 0, 8, 35), &blue));
        EXPECT_TRUE(blue);
        EXPECT_FALSE(hasInk(frames[2], QRect(0, 0, 224, 35)));
        EXPECT_TRUE(hasInk(frames[frames.size() / 2], strip.rect()));
        EXPECT_FALSE(hasInk(frames.back(), strip.rect()));
    }
}

TEST(ScrollText, DelayZeroStillProcessesEventsBeforeEachStep)
{
    Strip strip;
    int ticks = 0, steps = 0, ticksAtFirstStep = -1;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);
    QObject::connect(&strip, &PictureBox::Clearing, [&] {
        if (steps++ == 0) {
            ticksAtFirstStep = ticks;
        }
    });
    basScroller::ScrollText(&strip, "abc", 12, 0, 0.1, kBlue);
    finishPass(strip);
    EXPECT_GE(ticksAtFirstStep, 1);
    EXPECT_GE(ticks, steps);
}

TEST(ScrollText, PassEndsWithItsTargetOrWhenEnded)
{
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* box = new PictureBox(window);
    box->resize(232, 35);
    window->show();
    QPointer<QWidget> alive(window);
    int steps = 0;
    QObject::connect(box, &PictureBox::Clearing, [&] {
        if (++steps == 3) {
            QTimer::singleShot(0, window, [window] { window->close(); });
        }
    });
    basScroller::ScrollText(box, "a title", 12, 1, 0.1, kBlue);
    ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 60000));
    EXPECT_LT(steps, 10);

    Strip strip;
    basScroller::ScrollText(&strip, "a title", 12, 1, 0.1, kBlue);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasInk(strip.grab().toImage(), strip.rect()); }, 60000));
    basScroller::EndPass(&strip);
    EXPECT_FALSE(basScroller::IsScrolling(&strip));
    basScroller::ScrollText(&strip, "the next title", 12, 1, 0.1, kBlue);  // not dropped
    EXPECT_TRUE(basScroller::IsScrolling(&strip));
}

// Each step waits at least the delay (30 ms at the main window's settings).
TEST(ScrollText, EachStepWaitsTheDelay)
{
    Strip strip;
    QElapsedTimer wall;
    wall.start();
    basScroller::ScrollText(&strip, "clip", 12, 3.0, 0.1, kBlue);
    finishPass(strip);
    EXPECT_GE(wall.nsecsElapsed() / 1e9, basScroller::StepCount(29, 12, 4) * 0.030);
}

TEST(ScrollText, BadInputDoesNotCrash)
{
    basScroller::ScrollText(nullptr, "x", 12, 0, 0.1, kBlue);
    EXPECT_FALSE(basScroller::IsScrolling(nullptr));
    Strip strip;
    basScroller::ScrollText(&strip, "x", -3, NAN, INFINITY, kBlue);
    finishPass(strip);
    strip.resize(0, 0);
    basScroller::ScrollText(&strip, "title", 12, -5, NAN, kBlue);
    finishPass(strip);
}

}  // namespace zelko
