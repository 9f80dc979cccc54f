// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci/descriptor_source.h"
#include "platform/mci/errors.h"
#include "platform/mci/gst_holders.h"
#include "platform/mci/media_facts.h"
#include "platform/mci/range_guard.h"
#include "platform/mci/rect.h"
#include "platform/mci/sinks.h"
#include "platform/mci/window_geometry.h"
#include "platform/mci/time_format.h"
#include "platform/media_file.h"
#include "platform/track_tags.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zelko::mci {

// There is no "not ready": open returns only once the media has prerolled, and every seek
// waits for its preroll, so a device that exists can always answer.
enum class Mode { Stopped, Playing, Paused };

// One open media file: a playbin, what the user last asked of it (mode, speed, range) and what
// is known about the media. Every method runs on the engine's caller thread; GStreamer's own
// threads only post to the bus, which the device drains on each call.
class Device {
public:
    // Opens the file a command named as `path`, which `file` holds open (or says why not), and
    // prerolls it, waiting a bounded time; the file is read through its descriptor alone.
    // Returns 0, 275 (no such file) or 296 (not playable; `detail` then says why when the
    // reason is known, and `tagsMet` holds what the file's tags said when only its decoder is
    // missing).
    static uint32_t open(const std::string& path, platform::OpenedFile file, std::uintptr_t parentWindow,
                         std::unique_ptr<Device>& device, ErrorDetail& detail, platform::TrackTags& tagsMet);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Reads what GStreamer's threads posted: the end of the media or of the range, errors.
    void drainBus();

    Mode mode() const;
    // Readable while the bus holds a message, all of which change the device's answers (the
    // end, an error, a new length, a seek's preroll done; the rest is dropped as it is posted),
    // until drainBus reads them. Readable only once the message is there to read.
    int busFd() const;
    // Readable when the parent window was resized, uncovered or rescaled since drainBus last
    // looked; -1 for a device drawing into no window.
    int windowFd() const;
    // Where a play stops moving: the end of its range, or the length.
    int64_t endNs() const { return m_stopNs >= 0 ? std::min(m_stopNs, m_lengthNs) : m_lengthNs; }
    // The rate the pipeline plays at while playing (the speed, as last applied).
    double appliedRate() const { return m_appliedRate; }
    // The file open, as it was when opened.
    const std::optional<platform::FileIdentity>& file() const { return m_identity; }
    // What the file's tags said when it was opened.
    platform::TrackTags tags() const;
    // The true length; while a play to the end runs past it, it stays just ahead of the
    // position until the stream really ends, and then it is where the stream ended.
    int64_t lengthNs() const { return m_lengthNs; }
    // Where the device stands, never beyond the length.
    int64_t positionNs();
    bool hasVideo() const { return m_hasVideo; }
    double framesPerSecond() const { return m_framesPerSecond; }
    TimeFormat timeFormat() const { return m_timeFormat; }
    void setTimeFormat(TimeFormat format) { m_timeFormat = format; }
    uint32_t speed() const { return m_speedPermille; }
    // The volume, 0 (silent) to 1000 (full), and the mute switch, kept for later plays. Media
    // without sound keep neither: there is nothing to apply them to.
    uint32_t volume() const { return m_volumePermille; }
    void setVolume(uint32_t permille);
    void setMuted(bool muted);

    // From `fromNs` (or where it stands) to `toNs` (or the end); returns at once.
    uint32_t play(std::optional<int64_t> fromNs, std::optional<int64_t> toNs);
    // Blocks until the range being played has ended (or failed).
    uint32_t waitForEnd();
    uint32_t pause();
    uint32_t resume();
    uint32_t stop();
    uint32_t seek(int64_t positionNs);
    uint32_t setSpeed(uint32_t permille);

    Rect source() const { return {0, 0, m_displayWidth, m_displayHeight}; }
    Rect destination() const { return m_destination; }
    uint32_t putWindow(const Rect& rect);

private:
    Device() = default;
    uint32_t preroll(ErrorDetail& detail);
    void readMediaInfo();
    // Takes the length from the file's own header or timestamps where it says one.
    void readLength();
    // MPEG program streams: makes the device's 0 the first frame or sample (see m_originNs).
    void alignWithFirstFrame();
    // At the end of a play to the end: the length becomes where the stream really ended, if
    // that is later.
    void learnEnd();
    // How far ahead of the position the length is kept while the stream runs past it.
    int64_t leadNs() const;
    void handleMessage(GstMessage* message);
    void endPlayback(int64_t heldNs);
    // Pops and handles bus messages until one of `types` arrives or the deadline passes.
    bool waitForMessage(GstMessageType types, GstClockTime timeoutNs);
    void awaitStreamingStopped();
    uint32_t seekRange(int64_t startNs, int64_t stopNs);
    bool setState(GstState state);
    void placeVideo();
    // device_window.cpp: the picture in its parent window.
    PixelRect destinationInDevicePixels() const;
    void followParent();
    void redraw();
    bool prerollAgain();
    bool showsPicture() const;  // the video sink holds a picture
    bool queryPosition(gint64& position) const;
    // device_audio.cpp: the sound output went away (its server ended); the media goes on from
    // where it stood, in the mode the user asked for, on a silent sink that keeps real time.
    void continueWithoutSound();
    void useSilentSink();

    // The file, readable to GStreamer under its own URI; it outlives the pipeline.
    std::unique_ptr<DescriptorUri> m_file;
    std::optional<platform::FileIdentity> m_identity;
    MediaFacts m_facts;
    platform::TrackTags m_tags;
    RangeGuard m_range;  // before the pipeline, so it outlives the probes that use it
    ElementPtr m_playbin;
    BusPtr m_bus;
    VideoOutput m_video;
    ElementPtr m_audioSink;

    // What the user asked for; the pipeline follows it, and seeks reapply it.
    Mode m_wanted = Mode::Stopped;
    uint32_t m_speedPermille = 1000;
    double m_appliedRate = 1.0;
    int64_t m_stopNs = -1;  // end of the range being played, -1 for the end of the media
    // Where the device stands when the pipeline cannot say: at the end of a range or the media.
    std::optional<int64_t> m_heldPositionNs;
    int64_t m_lastPositionNs = 0;
    bool m_ended = false;
    bool m_failed = false;
    int m_errors = 0;  // error messages met, the sound output's aside
    // auparse takes a flushing seek with no stop as a stop at 0, so its seeks name the length.
    bool m_seekNeedsStop = false;

    TimeFormat m_timeFormat = TimeFormat::Milliseconds;
    // Read once after preroll, so every answer uses the same length; raised only by a stream
    // that runs past it.
    int64_t m_lengthNs = 0;
    int64_t m_knownLengthNs = 0;  // the length without the lead kept ahead of the position
    // The stream time of the device's 0. GStreamer's MPEG-PS demuxer counts positions from the
    // first clock reference, which muxers (ffmpeg's among them) put up to half a second ahead
    // of the first frame; elsewhere 0.
    int64_t m_originNs = 0;
    bool m_hasVideo = false;
    bool m_hasAudio = false;
    uint32_t m_volumePermille = 1000;
    double m_framesPerSecond = 0.0;
    int64_t m_displayWidth = 0;  // as shown: upright, pixel aspect applied
    int64_t m_displayHeight = 0;
    bool m_turnedAcross = false;  // shown turned a quarter, or mirrored across a diagonal
    Rect m_destination;
    std::uintptr_t m_parentWindow = 0;
    // The parent's size, followed so the picture fits it when its owner resizes it later.
    std::unique_ptr<WindowWatch> m_parentWatch;
    std::string m_missing;       // what a missing-plugin message said was missing
    bool m_missingMidi = false;  // and that it is a MIDI synthesizer
    std::string m_error;         // the text of the last error message
    bool m_soundLost = false;    // the sound output posted an error; handled at the next drain
    bool m_silent = false;       // the sound output is the silent stand-in
    // A redraw seeked the paused pipeline, and nothing has seeked since: what flows is the
    // redraw's alone, and so are its errors, which are not the media's.
    bool m_redrawSeeked = false;
};

}  // namespace zelko::mci
