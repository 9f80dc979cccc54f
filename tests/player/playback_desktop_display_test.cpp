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
        return QTest::qWaitFor([&] { return BarsFill(PictureShot(Video())); }, kDeadlineMs);
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
        cover.setGeometry(QRect(Video()->mapToGlobal(QPoint(-10, -10)), Video()->size() + QSize(20, 20)));
        cover.show();
        return QTest::qWaitForWindowExposed(&cover) &&
               QTest::qWaitFor([&] { return !BarsFill(PictureShot(Video())); }, kDeadlineMs);
    };
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"paused", [&] { Button("Pause")->click(); }},
        {"stopped", [&] { Button("Stop")->click(); }},
        {"at the end",
         [&] {
             Button("Play")->click();
             // The file plays to its end, where nothing follows it.
             EXPECT_TRUE(Becomes(Player::Status::Playing));
             EXPECT_TRUE(QTest::qWaitFor(
                 [&] { return player().Now().status == Player::Status::Stopped && Mode() == "stopped"; }, kDeadlineMs));
         }},
        {"back from fullscreen",
         [&] {
             Button("Fullscreen")->click();
             Type(Qt::Key_Escape);
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
    CpvSlider* slider = Slider();
    // Each raise seeks (the monitor test shows the frame it seeks to): noted with whether the
    // button was held then.
    std::vector<bool> seeksHeld;
    QObject::connect(slider, &CpvSlider::ThumbMoved, form.get(),
                     [&] { seeksHeld.push_back(QGuiApplication::mouseButtons().testFlag(Qt::LeftButton)); });
    Button("Pause")->click();  // the thumb stands still under the pointer to begin with
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
    const double total = player().Now().totalFrames;
    const std::string finalSeek =
        "seek movie to " + std::to_string(static_cast<int32_t>(std::nearbyint(total * slider->Value() / 100.0)));
    const auto lastSeek = [&] {
        const auto seek = std::find_if(channel.log.rbegin(), channel.log.rend(),
                                       [](const std::string& c) { return c.rfind("seek movie to ", 0) == 0; });
        return seek == channel.log.rend() ? std::string() : *seek;
    };
    // The last raise may come a loop pass after the release.
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastSeek() == finalSeek; }, kDeadlineMs))
        << "the last seek is at the thumb's final place: " << finalSeek << ", not " << lastSeek();
    EXPECT_GE(std::count(seeksHeld.begin(), seeksHeld.end(), true), 5) << "seeks while the thumb was held";
    EXPECT_GT(slider->Value(), 60);
}

}  // namespace zelko
