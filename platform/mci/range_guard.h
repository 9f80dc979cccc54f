#pragma once

#include <gst/gst.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace zelko::mci {

// Ends a played range at its "to" position. Demuxers do not all honour a seek's stop
// (mpegpsdemux ends the segment at once), so the sinks' pads drop whatever lies at or past the
// stop and the first such buffer posts a range-end message on the pipeline's bus.
class RangeGuard {
public:
    static constexpr const char* kMessageName = "zelko-range-end";

    RangeGuard() = default;
    RangeGuard(const RangeGuard&) = delete;
    RangeGuard& operator=(const RangeGuard&) = delete;

    // Watches the buffers that reach `sink`'s sink pad; posts from `pipeline`.
    void attach(GstElement* sink, GstElement* pipeline);
    // Sets the stream time at which the range ends (-1: none) and starts a new generation, so
    // that a message of an earlier range is recognised as stale.
    void setStop(int64_t stopNs);
    // True when `message` is the range-end message of the current range.
    bool isCurrentEnd(GstMessage* message) const;

private:
    struct PadState {
        RangeGuard* guard = nullptr;
        GstElement* pipeline = nullptr;
        GstSegment segment{};  // written and read on the pad's own streaming thread only
    };
    // Runs on the streaming thread of a sink pad: only reads the atomics and posts.
    static GstPadProbeReturn onData(GstPad* pad, GstPadProbeInfo* info, gpointer data);

    std::vector<std::unique_ptr<PadState>> m_pads;
    std::atomic<int64_t> m_stopNs{-1};
    std::atomic<uint32_t> m_generation{0};
    std::atomic<uint32_t> m_posted{UINT32_MAX};
};

}  // namespace zelko::mci
