// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/wav_timing.h"

#include "platform/mci/gst_holders.h"
#include "platform/mci/log.h"

#include <algorithm>
#include <atomic>

namespace zelko::mci {

namespace {

// How many blocks the byte-to-time question to wavparse names: enough for nanosecond precision
// in the ratio of its time to the true time.
constexpr guint64 kMeasuredBlocks = 1'000'000;

// The two time axes of wavparse's source pad: wavparse's (`parserNs` for the measured blocks,
// learnt once its header is read) and the true one (`trueNs` for the same blocks). Read on
// every thread that passes data, events or queries through the pad; freed with the probe.
struct Timing {
    WavBlocks blocks;
    guint64 trueNs = 0;
    std::atomic<guint64> parserNs{0};  // 0 until learnt: times pass unchanged

    guint64 toTrue(guint64 parserTime) const
    {
        const guint64 parser = parserNs.load();
        return GST_CLOCK_TIME_IS_VALID(parserTime) && parser != 0 ? gst_util_uint64_scale(parserTime, trueNs, parser)
                                                                  : parserTime;
    }
    guint64 toParser(guint64 trueTime) const
    {
        const guint64 parser = parserNs.load();
        return GST_CLOCK_TIME_IS_VALID(trueTime) && parser != 0 ? gst_util_uint64_scale(trueTime, parser, trueNs)
                                                                : trueTime;
    }
    guint64 blocksToNs(guint64 count) const
    {
        return gst_util_uint64_scale(count, static_cast<guint64>(blocks.samplesPerBlock) * GST_SECOND,
                                     static_cast<guint64>(blocks.sampleRate));
    }
    // Asks wavparse what time it gives the measured blocks; it answers once it streams data,
    // which is when it sends its first segment.
    void learn(GstPad* pad)
    {
        gint64 parser = 0;
        const auto bytes = static_cast<gint64>(kMeasuredBlocks * static_cast<guint64>(blocks.blockAlign));
        if (parserNs.load() == 0 && gst_pad_query_convert(pad, GST_FORMAT_BYTES, bytes, GST_FORMAT_TIME, &parser) &&
            parser > 0) {
            parserNs.store(static_cast<guint64>(parser));
        }
    }
};

// wavparse numbers its buffers by block (its "sample" is a whole block for these codings).
void restamp(const Timing& timing, GstPadProbeInfo* info)
{
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    if (GST_BUFFER_OFFSET_IS_VALID(buffer) && GST_BUFFER_OFFSET_END_IS_VALID(buffer) &&
        GST_BUFFER_OFFSET_END(buffer) >= GST_BUFFER_OFFSET(buffer)) {
        GST_BUFFER_PTS(buffer) = timing.blocksToNs(GST_BUFFER_OFFSET(buffer));
        GST_BUFFER_DURATION(buffer) = timing.blocksToNs(GST_BUFFER_OFFSET_END(buffer) - GST_BUFFER_OFFSET(buffer));
    } else {
        GST_BUFFER_PTS(buffer) = timing.toTrue(GST_BUFFER_PTS(buffer));
        GST_BUFFER_DURATION(buffer) = timing.toTrue(GST_BUFFER_DURATION(buffer));
    }
    GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
}

GstEvent* trueSegment(const Timing& timing, GstEvent* event)
{
    const GstSegment* parsed = nullptr;
    gst_event_parse_segment(event, &parsed);
    if (parsed->format != GST_FORMAT_TIME) {
        return nullptr;
    }
    GstSegment segment;
    gst_segment_copy_into(parsed, &segment);
    for (guint64* time : {&segment.start, &segment.stop, &segment.time, &segment.position, &segment.duration,
                          &segment.base, &segment.offset}) {
        *time = timing.toTrue(*time);
    }
    if (timing.blocks.declaredLengthNs > 0) {
        const guint64 end = gst_segment_position_from_stream_time(&segment, GST_FORMAT_TIME,
                                                                  static_cast<guint64>(timing.blocks.declaredLengthNs));
        if (GST_CLOCK_TIME_IS_VALID(end) && end >= segment.start) {
            segment.stop = GST_CLOCK_TIME_IS_VALID(segment.stop) ? std::min(segment.stop, end) : end;
        }
    }
    GstEvent* corrected = gst_event_new_segment(&segment);
    gst_event_set_seqnum(corrected, gst_event_get_seqnum(event));
    return corrected;
}

GstEvent* parserSeek(const Timing& timing, GstEvent* event)
{
    gdouble rate = 1.0;
    GstFormat format = GST_FORMAT_UNDEFINED;
    GstSeekFlags flags = GST_SEEK_FLAG_NONE;
    GstSeekType startType = GST_SEEK_TYPE_NONE;
    GstSeekType stopType = GST_SEEK_TYPE_NONE;
    gint64 start = 0;
    gint64 stop = 0;
    gst_event_parse_seek(event, &rate, &format, &flags, &startType, &start, &stopType, &stop);
    if (format != GST_FORMAT_TIME || startType == GST_SEEK_TYPE_END || stopType == GST_SEEK_TYPE_END) {
        return nullptr;
    }
    GstEvent* corrected =
        gst_event_new_seek(rate, format, flags, startType, start >= 0 ? timing.toParser(start) : start, stopType,
                           stop >= 0 ? timing.toParser(stop) : stop);
    gst_event_set_seqnum(corrected, gst_event_get_seqnum(event));
    return corrected;
}

void replaceEvent(GstPadProbeInfo* info, GstEvent* corrected)
{
    if (corrected != nullptr) {
        gst_event_unref(GST_PAD_PROBE_INFO_EVENT(info));
        GST_PAD_PROBE_INFO_DATA(info) = corrected;
    }
}

// Runs on GStreamer's threads (and the caller's, for seeks and queries) on wavparse's source pad.
GstPadProbeReturn onData(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    auto& timing = *static_cast<Timing*>(data);
    if ((info->type & GST_PAD_PROBE_TYPE_BUFFER) != 0) {
        timing.learn(pad);
        restamp(timing, info);
    } else if ((info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) != 0) {
        if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_SEGMENT) {
            timing.learn(pad);
            replaceEvent(info, trueSegment(timing, GST_PAD_PROBE_INFO_EVENT(info)));
        }
    } else if ((info->type & GST_PAD_PROBE_TYPE_EVENT_UPSTREAM) != 0) {
        if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_SEEK) {
            replaceEvent(info, parserSeek(timing, GST_PAD_PROBE_INFO_EVENT(info)));
        }
    } else if ((info->type & GST_PAD_PROBE_TYPE_QUERY_UPSTREAM) != 0 && (info->type & GST_PAD_PROBE_TYPE_PULL) != 0) {
        // A duration answer on its way back downstream.
        GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
        GstFormat format = GST_FORMAT_UNDEFINED;
        gint64 duration = -1;
        if (GST_QUERY_TYPE(query) == GST_QUERY_DURATION) {
            gst_query_parse_duration(query, &format, &duration);
            if (format == GST_FORMAT_TIME && duration > 0) {
                const auto declared = static_cast<guint64>(timing.blocks.declaredLengthNs);
                const guint64 corrected = timing.toTrue(static_cast<guint64>(duration));
                gst_query_set_duration(query, format,
                                       static_cast<gint64>(declared > 0 ? std::min(declared, corrected) : corrected));
            }
        }
    }
    return GST_PAD_PROBE_OK;
}

}  // namespace

void correctWavTiming(GstElement* wavparse, const WavBlocks& blocks)
{
    PadPtr pad(gst_element_get_static_pad(wavparse, "src"));
    if (!pad || blocks.sampleRate <= 0 || blocks.blockAlign <= 0 || blocks.samplesPerBlock <= 0) {
        return;
    }
    GST_CAT_INFO_OBJECT(zelko_mci_debug, wavparse,
                        "re-stamping %d-byte blocks of %d samples at %d Hz on their true time axis: the RIFF code's "
                        "byte rate for ADPCM gives them half their length (found on GStreamer 1.22)",
                        blocks.blockAlign, blocks.samplesPerBlock, blocks.sampleRate);
    auto* timing = new Timing{blocks};
    timing->trueNs = timing->blocksToNs(kMeasuredBlocks);
    // No scheduling type in the mask means both: data pushed, and queries once answered (pull).
    const auto types =
        static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                     GST_PAD_PROBE_TYPE_EVENT_UPSTREAM | GST_PAD_PROBE_TYPE_QUERY_UPSTREAM);
    gst_pad_add_probe(pad.get(), types, onData, timing, [](gpointer data) { delete static_cast<Timing*>(data); });
}

}  // namespace zelko::mci
