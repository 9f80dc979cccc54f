// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "media/mci_channel.h"
#include "platform/error_detail.h"

namespace zelko::media {

// The media control layer: each operation builds one or more MCI command texts for a device
// alias, sends them through the channel and returns a result text ("Success" or the code's
// description) or a number (-1 when the device query failed). Failures are these strings; what
// the window acts on beyond them (a missing decoder) is kept as data for the latest failed
// command, the only thing kept between calls.
class ModuleMultimedia {
public:
    // A command that failed: its MCI code, and its detail: the result text it returned, and
    // GStreamer's description of a decoder the file needs and that is not installed (empty
    // otherwise).
    struct Failure : platform::ErrorDetail {
        uint32_t code = 0;
    };

    explicit ModuleMultimedia(MciChannel& channel) : m_channel(channel) {}

    // Device commands.
    std::string OpenMedia(int32_t parentWindow, const std::string& alias, const std::string& path,
                          const std::string& deviceType);
    std::string PlayMedia(const std::string& alias, const std::string& start, const std::string& end);
    std::string PauseMedia(const std::string& alias);
    std::string ResumeMedia(const std::string& alias);
    std::string StopMedia(const std::string& alias);
    std::string CloseMedia(const std::string& alias);
    std::string CloseAllMedia();
    std::string SeekMedia(const std::string& alias, int32_t position);
    std::string SetPlaybackSpeed(const std::string& alias, int32_t percent);
    int32_t GetPlaybackSpeed(const std::string& alias);
    int32_t GetTotalFrames(const std::string& alias);
    // The sound's volume, 0 (silent) to 1000 (full, what every open starts with).
    std::string SetVolume(const std::string& alias, int32_t volume);
    int32_t GetVolume(const std::string& alias);

    // Status and geometry.
    int32_t GetLengthMs(const std::string& alias);
    int32_t GetCurrentFrame(const std::string& alias);
    int32_t GetPercentPlayed(const std::string& alias);
    int32_t GetFramesPerSecond(const std::string& alias);
    // lengthFrames is a cache: 0 means "to be queried", and the queried value is handed back.
    bool IsAtEnd(const std::string& alias, int32_t& lengthFrames);
    // True when the device says it is playing; false when it says otherwise or cannot say.
    bool IsPlaying(const std::string& alias);
    // which is "cx" or "cy" in any letter case; anything else gives -1 and sends nothing.
    int32_t GetVideoSize(const std::string& alias, const std::string& which);
    // width and height of 0 are replaced by the window's size and handed back.
    std::string PlaceVideoWindow(int32_t window, const std::string& alias, int32_t x, int32_t y, int32_t& width,
                                 int32_t& height);

    // The latest command that returned a result text other than "Success".
    const Failure& LastFailure() const { return m_lastFailure; }

private:
    std::string Result(uint32_t code);  // resultText, keeping a failure as LastFailure

    MciChannel& m_channel;
    Failure m_lastFailure;
};

}  // namespace zelko::media
