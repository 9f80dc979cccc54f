// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace zelko::mci {

// Watches what reaches the sinks. It ends a played range at its "to" position: demuxers do not
// all honour a seek's stop (mpegpsdemux ends the segment at once), so the segment each sink
// gets ends at the stop, each sink's pad drops whatever lies at or past it, and the first such
// buffer sends the sink an end of stream.
// The sink still plays what it holds and reports its end when that has played, so the
// pipeline's end-of-stream message comes when the range has really played, however long the
// last buffer before the stop. It also keeps how far the sinks have been given the media, so
// that a stream running past its estimated length is known to.
class RangeGuard {
public:
    RangeGuard() = default;
    RangeGuard(const RangeGuard&) = delete;
    RangeGuard& operator=(const RangeGuard&) = delete;

    // Watches the buffers that reach `sink`'s sink pad.
    void attach(GstElement* sink);
    // Sets the stream time at which the range ends (-1: none) and starts a new range. Returns
    // the new range's generation.
    uint32_t setStop(int64_t stopNs);
    // Runs on a streaming thread for a buffer at `streamTimeNs` that ends at `endNs`: nothing
    // when it plays (and is counted as played), else the generation of the range whose stop it
    // lies past.
    std::optional<uint32_t> pastStop(uint64_t streamTimeNs, int64_t endNs);
    // The furthest stream time the sinks were given in the current range (the end of a buffer,
    // inside its segment), or -1 before any buffer.
    int64_t playedEndNs() const;
    // Stream time minus buffer time in the latest segment a sink received in the current
    // range: how the demuxer maps its timestamps to positions.
    std::optional<int64_t> streamTimeOffsetNs() const;

private:
    struct PadState {
        RangeGuard* guard = nullptr;
        // Written and read on the pad's own streaming thread only.
        GstSegment segment{};
        std::optional<uint32_t> endedGeneration;  // the range this sink was last ended for
    };
    // The range and what was played of it. The stop and its generation change together, so a
    // streaming thread never pairs the stop of one range with the generation of the next.
    struct Range {
        int64_t stopNs = -1;
        uint32_t generation = 0;
        int64_t playedEndNs = -1;
        std::optional<int64_t> streamTimeOffsetNs;
    };
    // Runs on the streaming thread of a sink pad.
    static GstPadProbeReturn onData(GstPad* pad, GstPadProbeInfo* info, gpointer data);
    // Keeps how `segment` maps times to positions; returns the current stop.
    int64_t noteSegment(const GstSegment& segment);

    std::vector<std::unique_ptr<PadState>> m_pads;
    mutable std::mutex m_mutex;
    Range m_range;  // guarded by m_mutex
};

}  // namespace zelko::mci
