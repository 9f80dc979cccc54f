// SPDX-License-Identifier: GPL-3.0-or-later
// Where the device stands and how long its media is: the origin of MPEG program streams, the
// position, and a length that follows a stream running past it.
#include "platform/mci/device.h"
#include "platform/mci/log.h"

#include <algorithm>
#include <cmath>

namespace zelko::mci {

namespace {

constexpr int64_t kAudioLeadNs = 1'000'000;  // one unit of the millisecond format

}  // namespace

void Device::alignWithFirstFrame()
{
    // Only where the length came from the stream's presentation times, which start at the origin.
    const bool lengthFromTimestamps = m_facts.lengthNs > 0 && m_facts.lengthNs == m_lengthNs;
    if (m_facts.container != Container::MpegProgram || !lengthFromTimestamps) {
        return;
    }
    // Only after a flushing seek does the demuxer's segment say how it maps its presentation
    // times to positions; the preroll's first segment can even start past the first frame.
    if (seekRange(0, -1) != 0) {
        return;
    }
    const std::optional<int64_t> offsetNs = m_range.streamTimeOffsetNs();
    if (!offsetNs) {
        return;
    }
    const int64_t originNs = m_facts.firstPtsNs + *offsetNs;
    if (originNs > 0 && originNs < m_lengthNs) {
        GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                            "0 is the first frame, %" GST_TIME_FORMAT " into the stream: mpegpsdemux counts "
                            "positions from the first clock reference (found on GStreamer 1.22)",
                            GST_TIME_ARGS(originNs));
        m_originNs = originNs;
        seekRange(0, -1);
    }
}

int64_t Device::leadNs() const
{
    return m_hasVideo && m_framesPerSecond > 0 ? static_cast<int64_t>(std::ceil(1e9 / m_framesPerSecond))
                                               : kAudioLeadNs;
}

int64_t Device::positionNs()
{
    if (m_heldPositionNs) {
        return *m_heldPositionNs;
    }
    gint64 position = 0;
    if (!queryPosition(position) || position < 0) {
        return m_lastPositionNs;
    }
    const int64_t deviceNs = std::max<int64_t>(0, position - m_originNs);
    if (m_stopNs >= 0) {
        m_lastPositionNs = std::min({deviceNs, m_stopNs, m_lengthNs});
        return m_lastPositionNs;
    }
    if (deviceNs >= m_lengthNs && !m_ended) {
        // The stream goes on past the length it was thought to have: the length keeps ahead, so
        // that whoever compares the two does not take this for the end.
        if (m_lengthNs == m_knownLengthNs) {
            GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                                "playing on past the length %" GST_TIME_FORMAT ": the length keeps ahead",
                                GST_TIME_ARGS(m_lengthNs));
        }
        m_knownLengthNs = std::max(m_knownLengthNs, deviceNs);
        m_lengthNs = deviceNs + leadNs();
    }
    m_lastPositionNs = std::min(deviceNs, m_lengthNs);
    return m_lastPositionNs;
}

bool Device::queryPosition(gint64& position) const
{
    // What the pipeline answers, asked of its two sinks directly: the pipeline would ask them
    // through three nested bins, which costs more than the answer on every tick of the window.
    // The furthest answer wins, as in the pipeline; a sink outside the pipeline (the video
    // sink of a sound file) does not answer.
    bool answered = false;
    for (GstElement* sink : {m_video.sink.get(), m_audioSink.get()}) {
        gint64 sinkPosition = 0;
        if (sink != nullptr && gst_element_query_position(sink, GST_FORMAT_TIME, &sinkPosition) &&
            (!answered || sinkPosition > position)) {
            position = sinkPosition;
            answered = true;
        }
    }
    return answered;
}

void Device::learnEnd()
{
    const int64_t playedEndNs = m_range.playedEndNs();
    if (playedEndNs >= 0 && playedEndNs - m_originNs > m_knownLengthNs) {
        m_knownLengthNs = playedEndNs - m_originNs;
        GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                            "the stream ended at %" GST_TIME_FORMAT ", past its length: that is its length now",
                            GST_TIME_ARGS(m_knownLengthNs));
    }
    m_lengthNs = m_knownLengthNs;
}

}  // namespace zelko::mci
