#include "helpers/bas_scroller.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <cmath>
#include <ctime>
#include <memory>

#include "helpers/picture_box.h"

namespace {

constexpr uint32_t kBlue = 0xFF0000;  // 0x00BBGGRR
const QRgb kGreen = QColor(Qt::green).rgb();

// Picture2 of the main window: 3480 x 525 twips, green.
std::unique_ptr<PictureBox> makeStrip(int widthPx = 232, int heightPx = 35) {
    auto box = std::make_unique<PictureBox>();
    box->resize(widthPx, heightPx);
    box->SetBackColor(Qt::green);
    return box;
}

bool hasInk(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) | 0xff000000) != kGreen) return true;
    return false;
}

// Every frame of a pass as the widget shows it: the frame of step k is still on the canvas when
// step k + 1 clears it, and the last one stays after the pass.
struct RecordedPass {
    int steps = 0;
    std::vector<QImage> frames;
};

RecordedPass recordPass(PictureBox& box, const QString& text, double amplitude = 0.1) {
    RecordedPass pass;
    auto connection = QObject::connect(&box, &PictureBox::Clearing, [&] {
        if (pass.steps++ > 0) pass.frames.push_back(box.grab().toImage());
    });
    basScroller::ScrollText(&box, text, 12, 0, amplitude, kBlue);
    QObject::disconnect(connection);
    pass.frames.push_back(box.grab().toImage());
    return pass;
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

}  // namespace

TEST(ScrollText, StepCountFollowsTheWidthAndTheTextLength) {
    struct Case {
        const char* name;
        QString text;
        int steps;
    };
    // 232 pixels are 29 units; 12 pt cells are 1.2 units, so endX = floor(-1.2 n).
    const Case cases[] = {
        {"empty text: floor(ScaleWidth) * 2 + 1", "", 29 * 2 + 1},
        {"one character: endX -2", "A", 63},
        {"longer than the box: endX -48", QString(40, 'x'), 155},
    };
    for (const Case& c : cases) {
        auto box = makeStrip();
        const RecordedPass pass = recordPass(*box, c.text);
        EXPECT_EQ(pass.steps, c.steps) << c.name;
        EXPECT_EQ(basScroller::StepCount(box->ScaleWidth(), box->FontSize(), c.text.size()), c.steps) << c.name;
    }
}

TEST(ScrollText, LeavesTheTargetInCharacterUnitsWithTheFontAndColour) {
    auto box = makeStrip();
    basScroller::ScrollText(box.get(), "", 12, 0, 0.1, kBlue);
    EXPECT_TRUE(box->InCharacterUnits());
    EXPECT_EQ(QFontInfo(box->DrawingFont()).family(), QFontInfo(QFont("Courier New")).family());
    EXPECT_DOUBLE_EQ(box->FontSize(), 12);
    EXPECT_EQ(box->ForeColor(), QColor(0, 0, 255));
}

TEST(ScrollText, EntersAtTheRightEdgeAndLeavesNothingBehind) {
    auto box = makeStrip();
    const RecordedPass pass = recordPass(*box, "Zelko clip.mpg");
    ASSERT_EQ(pass.frames.size(), static_cast<size_t>(pass.steps));
    const QRect whole(0, 0, 232, 35);
    const QRect rightmostCell(224, 0, 8, 35);
    // Step 1 puts the first character at X 29, just outside; by step 3 (X 28) it shows, and
    // only in the last cell.
    EXPECT_FALSE(hasInk(pass.frames[0], whole));
    EXPECT_TRUE(hasInk(pass.frames[2], rightmostCell));
    EXPECT_FALSE(hasInk(pass.frames[2], QRect(0, 0, 224, 35)));
    EXPECT_FALSE(hasInk(pass.frames.back(), whole));
    // Somewhere in between the text crosses the middle of the strip.
    EXPECT_TRUE(hasInk(pass.frames[pass.frames.size() / 2], whole));
}

TEST(ScrollText, CharactersRideTheWave) {
    // A tall box and a wave a whole row high, so each character's height on the wave shows.
    auto box = makeStrip(400, 160);
    const QString text(8, QChar(0x2588));  // full blocks: the ink fills the cell
    const RecordedPass pass = recordPass(*box, text, 1.0);
    const double x = 10;  // step 79 of the pass starts at X = 49
    const int step = static_cast<int>((std::floor(400 / 8.0) - x) / 0.5);
    const QImage& frame = pass.frames.at(step);
    // Each block's top, relative to the first: sin((i + X) * 0.7) rows of 16 pixels apart.
    auto topOf = [&](int i) {
        const int column = static_cast<int>(std::lround((x + 1.2 * i) * 8 + 4.8));
        for (int y = 0; y < frame.height(); ++y)
            if ((frame.pixel(column, y) | 0xff000000) != kGreen) return y;
        return -1;
    };
    const int top0 = topOf(0);
    ASSERT_GE(top0, 0);
    for (int i = 1; i < text.size(); ++i) {
        const double want = (std::sin((i + x) * 0.7) - std::sin(x * 0.7)) * 16;
        EXPECT_NEAR(topOf(i) - top0, want, 2.0) << "character " << i;
    }
}

TEST(ScrollText, DelayZeroStillProcessesEventsBeforeEachStep) {
    auto box = makeStrip();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);
    int ticksAtFirstStep = -1;
    int steps = 0;
    QObject::connect(box.get(), &PictureBox::Clearing, [&] {
        if (steps++ == 0) ticksAtFirstStep = ticks;
    });
    basScroller::ScrollText(box.get(), "abc", 12, 0, 0.1, kBlue);
    EXPECT_GE(ticksAtFirstStep, 1);
    EXPECT_GE(ticks, steps);
}

TEST(ScrollText, PassEndsWhenTheTargetIsDeletedDuringIt) {
    auto owned = makeStrip();
    QPointer<PictureBox> box(owned.release());
    int steps = 0;
    QObject::connect(box.data(), &PictureBox::Clearing, [&] {
        if (++steps == 5) QTimer::singleShot(0, box.data(), [&] { delete box.data(); });
    });
    basScroller::ScrollText(box.data(), "a title", 12, 0.5, 0.1, kBlue);
    EXPECT_TRUE(box.isNull());
    EXPECT_EQ(steps, 5);
    EXPECT_FALSE(basScroller::IsScrolling());
}

TEST(ScrollText, PassEndsWhenTheTargetsWindowIsClosedAndDeleted) {
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* box = new PictureBox(window);
    box->resize(232, 35);
    window->show();
    QPointer<QWidget> alive(window);
    int steps = 0;
    QObject::connect(box, &PictureBox::Clearing, [&] {
        if (++steps == 3) QTimer::singleShot(0, window, [window] { window->close(); });
    });
    basScroller::ScrollText(box, "a title", 12, 1, 0.1, kBlue);
    EXPECT_LT(steps, 10);
    // The pass may end on the close (deferred delete pending) or on the delete itself.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

TEST(ScrollText, PassEndsWhenTheApplicationLeavesItsEventLoop) {
    auto box = makeStrip();
    int steps = 0;
    bool returned = false;
    QObject::connect(box.get(), &PictureBox::Clearing, [&] {
        if (++steps == 3) QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    });
    // The pass runs inside the application's loop, as a Timerscroll tick does.
    QTimer::singleShot(0, [&] {
        basScroller::ScrollText(box.get(), "a title", 12, 1, 0.1, kBlue);
        returned = true;
    });
    QCoreApplication::exec();
    EXPECT_TRUE(returned);
    EXPECT_LE(steps, 4);
    EXPECT_FALSE(basScroller::IsScrolling());
}

TEST(ScrollText, ATickDuringAPassSeesItRunningAndCannotStartAnother) {
    auto box = makeStrip();
    EXPECT_FALSE(basScroller::IsScrolling());
    bool runningSeen = false;
    int steps = 0;
    QObject::connect(box.get(), &PictureBox::Clearing, [&] { ++steps; });
    QTimer tick;
    tick.setSingleShot(true);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        runningSeen = basScroller::IsScrolling();
        basScroller::ScrollText(box.get(), "", 12, 0, 0.1, kBlue);  // dropped
    });
    tick.start(0);
    basScroller::ScrollText(box.get(), "", 12, 0, 0.1, kBlue);
    EXPECT_TRUE(runningSeen);
    EXPECT_EQ(steps, 59);
    EXPECT_FALSE(basScroller::IsScrolling());
}

TEST(ScrollText, BadInputDoesNotCrash) {
    basScroller::ScrollText(nullptr, "x", 12, 0, 0.1, kBlue);
    auto box = makeStrip();
    basScroller::ScrollText(box.get(), "x", 12, -5, NAN, kBlue);
    basScroller::ScrollText(box.get(), "x", -3, NAN, INFINITY, kBlue);
    auto empty = makeStrip(0, 0);
    basScroller::ScrollText(empty.get(), "title", 12, 0, 0.1, kBlue);
    EXPECT_FALSE(basScroller::IsScrolling());
}

// The pause waits in the event loop rather than spinning: a pass of the main window's settings
// (30 ms a step) keeps the processor nearly idle.
TEST(ScrollText, PauseWaitsWithoutSpinning) {
    auto box = makeStrip();
    const int steps = basScroller::StepCount(29, 12, 4);
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = cpuSeconds();
    basScroller::ScrollText(box.get(), "clip", 12, 3.0, 0.1, kBlue);
    const double cpu = cpuSeconds() - cpuBefore;
    const double wallSeconds = wall.nsecsElapsed() / 1e9;
    RecordProperty("cpu_ms", static_cast<int>(cpu * 1000));
    RecordProperty("wall_ms", static_cast<int>(wallSeconds * 1000));
    EXPECT_GE(wallSeconds, steps * 0.030);
    EXPECT_LT(cpu, wallSeconds * 0.25) << "cpu " << cpu << " s over " << wallSeconds << " s";
}
