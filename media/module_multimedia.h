#pragma once

#include <cstdint>
#include <string>

#include "media/mci_channel.h"

namespace zelko::media {

// The media control layer: each operation builds one or more MCI command texts for a device
// alias, sends them through the channel and returns a result text ("Success" or the code's
// description) or a number (-1 when the device query failed). Keeps nothing between calls.
class ModuleMultimedia {
public:
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

private:
    MciChannel& m_channel;
};

}  // namespace zelko::media
