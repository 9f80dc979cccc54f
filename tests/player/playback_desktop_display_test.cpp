// SPDX-License-Identifier: GPL-3.0-or-later
// The window among other windows, on the real engine: a picture that another window covered
// comes back when it is uncovered (paused, stopped, at the end, after fullscreen), and a drag
// of the slider's thumb with the real pointer seeks as the thumb moves.
#include <QProcess>

#include "picture_probe.h"

namespace zelko {

class DesktopTest : public VideoFormTest {
protected:
    void SetUp() override
    {
        VideoFormTest::SetUp();
        ASSERT_TRUE(PictureShown());
    }
    bool PictureShown()
    {
        return QTest::qWaitFor([&] { return BarsFill(PictureShot(form->Picture1)); }, kDeadlineMs);
    }
    std::string Mode()
    {
        char reply[64] = {};
        return channel.sendString("status movie mode", reply, sizeof reply, 0) == 0 ? reply : "";
    }
};

TEST_F(DesktopTest, ACoveredPictureComesBackPausedStoppedAtTheEndAndAfterFullscreen)
{
    // Another top-level X window over the picture, then gone: the server clears what it
    // uncovers to Picture1's black background.
    const auto coverAndUncover = [&] {
        QWidget cover(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        cover.setPalette(QPalette(Qt::white));
        cover.setAutoFillBackground(true);
        cover.setGeometry(QRect(form->Picture1->mapToGlobal(QPoint(-10, -10)), form->Picture1->size() + QSize(20, 20)));
        cover.show();
        return QTest::qWaitForWindowExposed(&cover) &&
               QTest::qWaitFor([&] { return !BarsFill(PictureShot(form->Picture1)); }, kDeadlineMs);
    };
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"paused", [&] { form->PausePlayback(); }},
        {"stopped", [&] { form->StopPlayback(); }},
        {"at the end",
         [&] {
             form->PlaySelected();
             EXPECT_TRUE(
                 QTest::qWaitFor([&] { return !form->TimerMisc->isActive() && Mode() == "stopped"; }, kDeadlineMs));
         }},
        {"back from fullscreen",
         [&] {
             form->GoFullscreen();
             form->txtfull_KeyDown(27, 0);  // Esc
         }},
    };
    for (const auto& [state, enter] : steps) {
        SCOPED_TRACE(state);
        enter();
        ASSERT_NE(Mode(), "playing");
        EXPECT_TRUE(PictureShown()) << "before the cover";
        ASSERT_TRUE(coverAndUncover()) << "the cover did not hide the picture";
        EXPECT_TRUE(PictureShown());
    }
}

TEST_F(DesktopTest, DraggingTheThumbWithThePointerSeeksAsItMovesTheLastAtTheFinalPlace)
{
    CpvSlider* slider = form->cpvSlider1;
    // Each raise seeks (the monitor test shows the frame it seeks to): noted with whether the
    // button was held then.
    std::vector<bool> seeksHeld;
    QObject::connect(slider, &CpvSlider::ThumbMoved, form.get(),
                     [&] { seeksHeld.push_back(QGuiApplication::mouseButtons().testFlag(Qt::LeftButton)); });
    form->PausePlayback();  // the thumb stands still under the pointer to begin with
    const auto xdotool = [](QStringList arguments) { return QProcess::execute("xdotool", arguments) == 0; };
    const auto at = [&](QPoint point) {
        const QPoint global = slider->mapToGlobal(point);
        return QStringList{QString::number(global.x()), QString::number(global.y())};
    };
    const auto held = [] { return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton); };
    const QPoint grab = slider->ThumbRect().center();
    ASSERT_TRUE(xdotool(QStringList{"mousemove", "--sync"} + at(grab)));
    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    ASSERT_TRUE(QTest::qWaitFor(held, kDeadlineMs));
    for (int step = 1; step <= 5; ++step) {
        const size_t before = seeksHeld.size();
        ASSERT_TRUE(xdotool(QStringList{"mousemove"} + at(grab + QPoint(30 * step, 0))));
        EXPECT_TRUE(QTest::qWaitFor([&] { return seeksHeld.size() > before; }, kDeadlineMs)) << step;
    }
    ASSERT_TRUE(xdotool(QStringList{"mousemove"} + at(grab + QPoint(170, 0))));
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !held(); }, kDeadlineMs));
    const int32_t total = form->LbTotalFrames->text().toInt();
    const int32_t finalFrame = static_cast<int32_t>(std::nearbyint(total * slider->Value() / 100.0));
    // The last raise may come a loop pass after the release.
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->mSeekFrame == finalFrame; }, kDeadlineMs))
        << "the last seek is at the thumb's final place, frame " << finalFrame;
    EXPECT_GE(std::count(seeksHeld.begin(), seeksHeld.end(), true), 5) << "seeks while the thumb was held";
    EXPECT_GT(slider->Value(), 60);
}

}  // namespace zelko
