// The window among other windows, on the real engine: a picture that another window covered
// comes back when it is uncovered (paused, stopped, at the end, after fullscreen), and a drag
// of the slider's thumb with the real pointer seeks as the thumb moves.
#include <QGuiApplication>
#include <QProcess>

#include "form_fixture.h"
#include "media/engine_channel.h"
#include "picture_probe.h"

constexpr int kDeadlineMs = 15000;

// The product's channel, noting each seek the window sends and whether the button was held.
class SeekRecorder final : public zelko::media::MciChannel {
public:
    struct Seek {
        int32_t frame;
        bool buttonHeld;
    };
    std::vector<Seek> seeks;

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t window) override
    {
        constexpr std::string_view kSeek = "seek movie to ";
        if (command.substr(0, kSeek.size()) == kSeek)
            seeks.push_back({std::atoi(std::string(command.substr(kSeek.size())).c_str()),
                             QGuiApplication::mouseButtons().testFlag(Qt::LeftButton)});
        return m_engine.sendString(command, reply, replyLength, window);
    }
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override
    {
        return m_engine.getErrorString(code, buffer, length);
    }
    uint32_t getShortPathName(const char* path, char* buffer, uint32_t length) override
    {
        return m_engine.getShortPathName(path, buffer, length);
    }
    bool getWindowRect(int64_t window, zelko::platform::WindowRect& rect) override
    {
        return m_engine.getWindowRect(window, rect);
    }

private:
    zelko::media::EngineChannel m_engine;
};

class DesktopTest : public FormTest<SeekRecorder> {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs a real X server";
        form->move(20, 20);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        AddEntry("video.mpg", ZELKO_CLIPS_DIR "/video.mpg");
        PlayRow(0);
        ASSERT_EQ(form->mResult, "Success");
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
        {"at the end", [&] {
             form->PlaySelected();
             EXPECT_TRUE(QTest::qWaitFor([&] { return !form->TimerMisc->isActive() && Mode() == "stopped"; },
                                         kDeadlineMs));
         }},
        {"back from fullscreen", [&] {
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
    form->PausePlayback();  // the thumb stands still under the pointer to begin with
    const auto xdotool = [](QStringList arguments) { return QProcess::execute("xdotool", arguments) == 0; };
    const auto at = [&](QPoint point) {
        const QPoint global = slider->mapToGlobal(point);
        return QStringList{QString::number(global.x()), QString::number(global.y())};
    };
    const QPoint grab = slider->ThumbRect().center();
    ASSERT_TRUE(xdotool(QStringList{"mousemove", "--sync"} + at(grab)));
    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    const auto held = [] { return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton); };
    ASSERT_TRUE(QTest::qWaitFor(held, kDeadlineMs));
    for (int step = 1; step <= 5; ++step) {
        const size_t before = channel.seeks.size();
        ASSERT_TRUE(xdotool(QStringList{"mousemove"} + at(grab + QPoint(30 * step, 0))));
        EXPECT_TRUE(QTest::qWaitFor([&] { return channel.seeks.size() > before; }, kDeadlineMs)) << step;
    }
    ASSERT_TRUE(xdotool(QStringList{"mousemove"} + at(grab + QPoint(170, 0))));
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !held(); }, kDeadlineMs));
    const int32_t total = form->LbTotalFrames->text().toInt();
    const int32_t finalFrame = static_cast<int32_t>(std::nearbyint(total * slider->Value() / 100.0));
    // The last raise may come a loop pass after the release.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !channel.seeks.empty() && channel.seeks.back().frame == finalFrame; },
                                kDeadlineMs))
        << "the last seek is at the thumb's final place, frame " << finalFrame;
    const auto whileHeld =
        std::count_if(channel.seeks.begin(), channel.seeks.end(), [](auto& s) { return s.buttonHeld; });
    EXPECT_GE(whileHeld, 5) << "seeks while the thumb was held";
    EXPECT_GT(slider->Value(), 60);
}
