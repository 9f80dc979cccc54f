// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "media/mci_channel.h"
#include "media/task.h"
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

    // Every operation is a task, awaited where it is called; it sends its commands one after
    // the other, each once the one before it has been answered. Arguments are taken by value, so
    // a task never reads its caller's temporaries after they are gone.

    // Device commands.
    Task<std::string> OpenMedia(int32_t parentWindow, std::string alias, std::string path, std::string deviceType);
    Task<std::string> PlayMedia(std::string alias, std::string start, std::string end);
    Task<std::string> PauseMedia(std::string alias);
    Task<std::string> ResumeMedia(std::string alias);
    Task<std::string> StopMedia(std::string alias);
    Task<std::string> CloseMedia(std::string alias);
    Task<std::string> CloseAllMedia();
    Task<std::string> SeekMedia(std::string alias, int32_t position);
    Task<std::string> SetPlaybackSpeed(std::string alias, int32_t percent);
    Task<int32_t> GetPlaybackSpeed(std::string alias);
    Task<int32_t> GetTotalFrames(std::string alias);
    // The sound's volume, 0 (silent) to 1000 (full, what every open starts with).
    Task<std::string> SetVolume(std::string alias, int32_t volume);
    Task<int32_t> GetVolume(std::string alias);

    // Status and geometry.
    Task<int32_t> GetLengthMs(std::string alias);
    Task<int32_t> GetCurrentFrame(std::string alias);
    Task<int32_t> GetPercentPlayed(std::string alias);
    Task<int32_t> GetFramesPerSecond(std::string alias);
    // lengthFrames is a cache: 0 means "to be queried", and the queried value is handed back;
    // it must outlive the task (the awaiting procedure's own variable).
    Task<bool> IsAtEnd(std::string alias, int32_t& lengthFrames);
    // True when the device says it is playing; false when it says otherwise or cannot say.
    Task<bool> IsPlaying(std::string alias);
    // which is "cx" or "cy" in any letter case; anything else gives -1 and sends nothing.
    Task<int32_t> GetVideoSize(std::string alias, std::string which);
    // width and height of 0 are replaced by the window's size and handed back; they must
    // outlive the task, as lengthFrames above.
    Task<std::string> PlaceVideoWindow(int32_t window, std::string alias, int32_t x, int32_t y, int32_t& width,
                                       int32_t& height);

    // The latest command that returned a result text other than "Success".
    const Failure& LastFailure() const { return m_lastFailure; }

private:
    std::string Result(uint32_t code);  // resultText, keeping a failure as LastFailure
    // Sends a command whose reply is not read; its result text.
    Task<std::string> ResultOf(std::string command);

    MciChannel& m_channel;
    Failure m_lastFailure;
};

}  // namespace zelko::media
