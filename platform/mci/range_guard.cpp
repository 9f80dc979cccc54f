// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/range_guard.h"

#include "platform/mci/gst_holders.h"
#include "platform/mci/log.h"

#include <algorithm>

namespace zelko::mci {

namespace {

// The stream time at which `buffer` ends inside `segment`, or -1 when it lies outside it.
int64_t bufferEndNs(const GstSegment& segment, GstBuffer* buffer)
{
    const GstClockTime start = GST_BUFFER_PTS(buffer);
    const GstClockTime stop = GST_BUFFER_DURATION_IS_VALID(buffer) ? start + GST_BUFFER_DURATION(buffer) : start;
    guint64 clippedStart = 0;
    guint64 clippedStop = 0;
    if (!gst_segment_clip(&segment, GST_FORMAT_TIME, start, stop, &clippedStart, &clippedStop)) {
        return -1;
    }
    const guint64 end = gst_segment_to_stream_time(&segment, GST_FORMAT_TIME, clippedStop);
    return end == GST_CLOCK_TIME_NONE ? -1 : static_cast<int64_t>(end);
}

// `segment` ending at the stream time `stopNs`, or null when it ends there or before anyway.
GstEvent* segmentEndingAt(const GstSegment& segment, int64_t stopNs, guint32 seqnum)
{
    if (stopNs < 0 || segment.format != GST_FORMAT_TIME || segment.rate < 0) {
        return nullptr;
    }
    const guint64 stop = gst_segment_position_from_stream_time(&segment, GST_FORMAT_TIME, static_cast<guint64>(stopNs));
    if (!GST_CLOCK_TIME_IS_VALID(stop) || stop < segment.start ||
        (GST_CLOCK_TIME_IS_VALID(segment.stop) && segment.stop <= stop)) {
        return nullptr;
    }
    GstSegment ending;
    gst_segment_copy_into(&segment, &ending);
    ending.stop = stop;
    GstEvent* event = gst_event_new_segment(&ending);
    gst_event_set_seqnum(event, seqnum);
    return event;
}

}  // namespace

void RangeGuard::attach(GstElement* sink)
{
    PadPtr pad(gst_element_get_static_pad(sink, "sink"));
    if (!pad) {
        return;
    }
    auto state = std::make_unique<PadState>();
    state->guard = this;
    gst_segment_init(&state->segment, GST_FORMAT_UNDEFINED);
    gst_pad_add_probe(pad.get(),
                      static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                                   GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                      onData, state.get(), nullptr);
    m_pads.push_back(std::move(state));
}

uint32_t RangeGuard::setStop(int64_t stopNs)
{
    const std::lock_guard lock(m_mutex);
    m_range.stopNs = stopNs;
    ++m_range.generation;
    m_range.playedEndNs = -1;
    m_range.streamTimeOffsetNs.reset();
    return m_range.generation;
}

int64_t RangeGuard::playedEndNs() const
{
    const std::lock_guard lock(m_mutex);
    return m_range.playedEndNs;
}

std::optional<int64_t> RangeGuard::streamTimeOffsetNs() const
{
    const std::lock_guard lock(m_mutex);
    return m_range.streamTimeOffsetNs;
}

std::optional<uint32_t> RangeGuard::pastStop(uint64_t streamTimeNs, int64_t endNs)
{
    const std::lock_guard lock(m_mutex);
    const int64_t stopNs = m_range.stopNs;
    if (stopNs >= 0 && streamTimeNs != GST_CLOCK_TIME_NONE && streamTimeNs >= static_cast<uint64_t>(stopNs)) {
        return m_range.generation;
    }
    m_range.playedEndNs = std::max(m_range.playedEndNs, stopNs >= 0 ? std::min(endNs, stopNs) : endNs);
    return std::nullopt;
}

int64_t RangeGuard::noteSegment(const GstSegment& segment)
{
    const std::lock_guard lock(m_mutex);
    if (segment.format == GST_FORMAT_TIME && GST_CLOCK_TIME_IS_VALID(segment.time)) {
        m_range.streamTimeOffsetNs = static_cast<int64_t>(segment.time) - static_cast<int64_t>(segment.start);
    }
    return m_range.stopNs;
}

GstPadProbeReturn RangeGuard::onData(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    auto* state = static_cast<PadState*>(data);
    if ((info->type & (GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH)) != 0) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
            // A flush took the sink out of its end: the range, sought again, must be able to
            // end it again, or the sink would wait on data the pad drops.
            state->endedGeneration.reset();
        } else if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment* segment = nullptr;
            gst_event_parse_segment(event, &segment);
            // The pad judges buffers by the segment as it came; the sink gets it ending at the
            // stop, so that it clips what lies past it, to the sample where it can.
            gst_segment_copy_into(segment, &state->segment);
            const int64_t stopNs = state->guard->noteSegment(*segment);
            if (GstEvent* ending = segmentEndingAt(*segment, stopNs, gst_event_get_seqnum(event))) {
                gst_event_unref(event);
                GST_PAD_PROBE_INFO_DATA(info) = ending;
            }
        }
        return GST_PAD_PROBE_OK;
    }
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (buffer == nullptr || !GST_BUFFER_PTS_IS_VALID(buffer) || state->segment.format != GST_FORMAT_TIME) {
        return GST_PAD_PROBE_OK;
    }
    const guint64 streamTime = gst_segment_to_stream_time(&state->segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    const std::optional<uint32_t> past = state->guard->pastStop(streamTime, bufferEndNs(state->segment, buffer));
    if (!past) {
        return GST_PAD_PROBE_OK;
    }
    if (state->endedGeneration != past) {
        state->endedGeneration = past;
        GST_CAT_INFO_OBJECT(zelko_mci_debug, pad,
                            "ending range %u at its stop: demuxers such as mpegpsdemux do not honour a seek's stop "
                            "(found on GStreamer 1.22)",
                            *past);
        // The sink plays out what it holds, then reports its end; the pad's stream lock, held
        // here, is recursive.
        gst_pad_send_event(pad, gst_event_new_eos());
    }
    return GST_PAD_PROBE_DROP;
}

}  // namespace zelko::mci
