// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error_detail.h"
#include "platform/media_file.h"
#include "platform/track_tags.h"

namespace zelko::mci {

// The MCI command-string interpreter over GStreamer: the mciSendString and mciGetErrorString
// of the player. Failures are told as MCI codes, with a text for each code and, where a
// caller acts on the reason, typed detail beside them (missingDecoder); never as text to parse. One device (a playbin)
// per alias. Every call runs synchronously on the caller's thread; GStreamer's own threads decode. Not thread-safe: use
// one engine per thread.
class Engine {
public:
    Engine();
    ~Engine();  // closes every open device
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Runs one command. `reply` may be null when replyLength is 0. Returns the MCI code,
    // 0 on success. callbackWindow is accepted and ignored: no notifications are sent.
    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength, std::uintptr_t callbackWindow);

    // Readies GStreamer on a thread of its own (its plugins for the offered kinds, the audio
    // and video outputs), so that the first open costs what a later one does. Returns at once;
    // commands may run meanwhile. Only the first call in a process does anything; the engine
    // waits for the thread when it is destroyed.
    void warmUp();

    // Writes the description of `code`, cut to length - 1 characters and terminated.
    // Returns false (buffer untouched) for a code that is not an error.
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) const;
    // GStreamer's description of the decoder that the latest failure with `code` needed and
    // found not installed; empty when that was not why it failed.
    std::string missingDecoder(uint32_t code) const;
    // The detail behind the latest failure with `code` (see platform/error_detail.h); empty when
    // the code's own description says it all.
    platform::ErrorDetail errorDetail(uint32_t code) const;

    // How the engine reaches the file an open names. By default it opens the path itself; the
    // engine host hands it the descriptors the window opened instead, and opens nothing. The
    // engine reads a file only through the descriptor it was given.
    using FileOpener = std::function<platform::OpenedFile(const std::string& path)>;
    void setFileOpener(FileOpener opener);
    // What the file's own tags said when it was opened: those an open device has met so far, or
    // those met by an open that failed for want of a decoder (empty for another failure);
    // nothing when the file was not opened here lately. The file is not read again.
    std::optional<platform::TrackTags> tags(const platform::FileIdentity& file);

    // What a device's status queries answer at one moment, for a caller that tells them on
    // without being asked (the engine host's published state).
    struct DeviceStatus {
        enum class Mode { Stopped, Playing, Paused };
        std::string alias;  // lower case
        Mode mode = Mode::Stopped;
        bool frames = false;   // the time format
        bool picture = false;  // frames are a time format it takes
        double framesPerSecond = 0.0;
        int64_t lengthNs = 0;
        int64_t positionNs = 0;
        std::chrono::steady_clock::time_point readAt;  // when the position was read
        double rate = 0.0;                             // how fast the position moves: 0 unless playing
        int64_t endNs = 0;                             // where a play stops moving
    };
    // Descriptors that are readable while a device's pipeline has posted what changes its
    // answers (the end of the media, an error, a new length, a seek's preroll done), or its
    // parent window was resized, uncovered or rescaled (its picture is placed and drawn again),
    // between commands as well: one or two for each open device. drain() takes what they tell.
    std::vector<int> changeFds();
    // Reads what the pipelines posted, as every command does first.
    void drain();
    // Every open device's answers now. Reading the position is the same as asking for it.
    std::vector<DeviceStatus> statuses();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zelko::mci
