#include "platform/mci/range_guard.h"

#include "platform/mci/gst_holders.h"

namespace zelko::mci {

void RangeGuard::attach(GstElement* sink, GstElement* pipeline)
{
    PadPtr pad(gst_element_get_static_pad(sink, "sink"));
    if (!pad) {
        return;
    }
    auto state = std::make_unique<PadState>();
    state->guard = this;
    state->pipeline = pipeline;
    gst_segment_init(&state->segment, GST_FORMAT_UNDEFINED);
    gst_pad_add_probe(pad.get(),
                      static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                   GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      onData, state.get(), nullptr);
    m_pads.push_back(std::move(state));
}

void RangeGuard::setStop(int64_t stopNs)
{
    m_stopNs.store(stopNs);
    m_generation.fetch_add(1);
}

bool RangeGuard::isCurrentEnd(GstMessage* message) const
{
    const GstStructure* structure = gst_message_get_structure(message);
    guint generation = 0;
    return structure != nullptr && gst_structure_has_name(structure, kMessageName) &&
           gst_structure_get_uint(structure, "generation", &generation) &&
           generation == m_generation.load();
}

GstPadProbeReturn RangeGuard::onData(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* state = static_cast<PadState*>(data);
    if ((info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) != 0) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment* segment = nullptr;
            gst_event_parse_segment(event, &segment);
            gst_segment_copy_into(segment, &state->segment);
        }
        return GST_PAD_PROBE_OK;
    }
    RangeGuard* guard = state->guard;
    const int64_t stopNs = guard->m_stopNs.load();
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (stopNs < 0 || buffer == nullptr || !GST_BUFFER_PTS_IS_VALID(buffer) ||
        state->segment.format != GST_FORMAT_TIME) {
        return GST_PAD_PROBE_OK;
    }
    const guint64 streamTime =
        gst_segment_to_stream_time(&state->segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    if (streamTime == GST_CLOCK_TIME_NONE || streamTime < static_cast<guint64>(stopNs)) {
        return GST_PAD_PROBE_OK;
    }
    const uint32_t generation = guard->m_generation.load();
    if (guard->m_posted.exchange(generation) != generation) {
        GstStructure* structure =
            gst_structure_new(kMessageName, "generation", G_TYPE_UINT, generation, nullptr);
        gst_element_post_message(state->pipeline,
                                 gst_message_new_application(GST_OBJECT(state->pipeline), structure));
    }
    return GST_PAD_PROBE_DROP;
}

}  // namespace zelko::mci
