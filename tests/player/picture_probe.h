// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads the video back from Picture1's own X window, in device pixels: the test clips show the
// SMPTE colour bars in the top two thirds of their picture.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <array>

#include "form_fixture.h"
#include "channels/engine_channel.h"
#include "platform/time_limit.h"

namespace zelko {

// Each bar as the on/off state of red, green, blue, left to right.
inline constexpr std::array<std::array<int, 3>, 7> kBars{
    {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}}};

// The window's pixels as the X server holds them: device pixels, whatever the scale.
inline QImage PictureShot(QWidget* picture)
{
    return picture->screen()->grabWindow(picture->winId()).toImage();
}

// True when the seven bars stand in order across the image's whole width (sampled at each
// bar's middle, a quarter of the way down), so the picture fills it.
inline bool BarsFill(const QImage& shot)
{
    if (shot.isNull()) {
        return false;
    }
    const int y = shot.height() / 4;
    for (size_t i = 0; i < kBars.size(); ++i) {
        const QRgb rgb = shot.pixel(static_cast<int>((i + 0.5) * shot.width() / kBars.size()), y);
        const int channels[] = {qRed(rgb), qGreen(rgb), qBlue(rgb)};
        for (size_t c = 0; c < 3; ++c) {
            if (kBars[i][c] ? channels[c] < 140 : channels[c] > 60) {
                return false;
            }
        }
    }
    return true;
}

// The real engine, with the commands it was sent noted.
class NotedEngine final : public media::ImmediateChannel {
public:
    std::vector<std::string> log;

    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t window) override
    {
        log.emplace_back(command.substr(0, command.find_last_not_of(' ') + 1));
        return m_engine.sendString(command, reply, replyLength, window);
    }
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override
    {
        return m_engine.getErrorString(code, buffer, length);
    }
    std::string missingDecoder(uint32_t code) override { return m_engine.missingDecoder(code); }
    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override
    {
        return m_engine.getShortPathName(longPath, buffer, length);
    }
    bool getWindowRect(int64_t windowHandle, platform::WindowRect& rect) override
    {
        return m_engine.getWindowRect(windowHandle, rect);
    }

private:
    channels::EngineChannel m_engine;
};

// The window over the real engine on a real X server, shown, with the test video playing.
class VideoFormTest : public FormTest<NotedEngine> {
protected:
    static constexpr int kDeadlineMs = platform::timeLimit(15000);
    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs a real X server";
        form->move(20, 20);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        AddEntry("video.mpg", ZELKO_CLIPS_DIR "/video.mpg");
        PlayRow(0);
        ASSERT_TRUE(Becomes(Player::Status::Playing));
    }
    bool Becomes(Player::Status status)
    {
        return QTest::qWaitFor([&] { return player().Now().status == status; }, kDeadlineMs);
    }
};

}  // namespace zelko
