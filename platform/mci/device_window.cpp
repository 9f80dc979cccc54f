// SPDX-License-Identifier: GPL-3.0-or-later
// The picture in its parent window: the destination in the window's device pixels, and the
// picture drawn again when the window is uncovered or resized while no buffer flows.
#include "platform/mci/device.h"
#include "platform/mci/log.h"
#include "platform/time_limit.h"

#include <gst/video/videooverlay.h>
#include <algorithm>
#include <cmath>

namespace zelko::mci {

namespace {

constexpr GstClockTime kPrerollAgainTimeoutNs = platform::timeLimit(3 * GST_SECOND);
// How far before the picture on show a redraw looks again when the seek to it brought none.
constexpr int64_t kRedrawStepBackNs = 500'000'000;

struct SampleUnref {
    void operator()(GstSample* sample) const { gst_sample_unref(sample); }
};

}  // namespace

PixelRect Device::destinationInDevicePixels() const
{
    const PixelRect logical{static_cast<int>(m_destination.x), static_cast<int>(m_destination.y),
                            static_cast<int>(m_destination.width), static_cast<int>(m_destination.height)};
    return toDevicePixels(logical, m_parentWatch ? m_parentWatch->pixelRatio() : 1.0);
}

void Device::followParent()
{
    const WindowChanges changes = m_parentWatch->poll();
    if (changes.resized) {
        placeVideo();
    }
    if (changes.resized || changes.exposed) {
        redraw();
    }
}

// The sink draws only when a buffer reaches it, and the server clears an uncovered window to
// its black background; so a paused, stopped or ended picture is drawn again here.
void Device::redraw()
{
    if (!m_video.overlay) {
        return;
    }
    // The plain X image sink holds its last picture at the size it was fitted to; after a new
    // fit that picture must be decoded again. XVideo scales what it holds itself.
    if (m_video.fitter && m_wanted != Mode::Playing && m_video.fitter->lastFrameStale() && prerollAgain()) {
        return;
    }
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(m_video.overlay.get()));
}

// Seeks the paused pipeline to the picture on show, so that picture is decoded again through
// the present fit. The device's own state (mode, held position, range) is left as it is.
bool Device::prerollAgain()
{
    GstSample* raw = nullptr;
    g_object_get(m_video.overlay.get(), "last-sample", &raw, nullptr);
    const std::unique_ptr<GstSample, SampleUnref> sample(raw);
    GstBuffer* buffer = sample ? gst_sample_get_buffer(sample.get()) : nullptr;
    const GstSegment* segment = sample ? gst_sample_get_segment(sample.get()) : nullptr;
    if (buffer == nullptr || segment == nullptr || !GST_BUFFER_PTS_IS_VALID(buffer)) {
        return false;
    }
    // Stream time from the segment, reckoned signed: mpegpsdemux gives its segments a time a few
    // microseconds below 0, which GStreamer's unsigned helpers turn into a huge position.
    const double offsetNs = static_cast<double>(GST_BUFFER_PTS(buffer)) - static_cast<double>(segment->start);
    const auto shownNs = std::clamp<int64_t>(
        static_cast<int64_t>(segment->time) + std::llround(offsetNs * std::abs(segment->applied_rate)), 0, m_lengthNs);
    // mpegpsdemux lands an accurate seek late by the lead of its clock references over the
    // pictures, so near the end the seek to the picture on show finds none (and the decoder,
    // given nothing to decode before the end, posts an error) and the window would stay black;
    // then a point a little earlier is tried, whose pictures reach that far (found on GStreamer
    // 1.22). Errors of these seeks are theirs, not the media's: the device does not fail on them.
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    const auto types = static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR);
    for (int64_t backNs = 0; backNs <= 2 * kRedrawStepBackNs; backNs += kRedrawStepBackNs) {
        const int64_t atNs = std::max<int64_t>(0, shownNs - backNs);
        m_redrawSeeked = true;
        if (!gst_element_seek(m_playbin.get(), m_appliedRate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, atNs,
                              GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE)) {
            return false;
        }
        waitForMessage(types, kPrerollAgainTimeoutNs);
        if (showsPicture()) {
            if (backNs > 0) {
                GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                                    "the seek to the picture at %" GST_TIME_FORMAT
                                    " brought none: redrawn from %" GST_TIME_FORMAT
                                    ", as mpegpsdemux lands accurate seeks late (found on GStreamer 1.22)",
                                    GST_TIME_ARGS(shownNs), GST_TIME_ARGS(atNs));
            }
            return true;
        }
        if (atNs == 0) {
            break;
        }
    }
    GST_CAT_WARNING_OBJECT(zelko_mci_debug, m_playbin.get(), "no picture to redraw at %" GST_TIME_FORMAT,
                           GST_TIME_ARGS(shownNs));
    return true;
}

bool Device::showsPicture() const
{
    GstSample* raw = nullptr;
    g_object_get(m_video.overlay.get(), "last-sample", &raw, nullptr);
    const std::unique_ptr<GstSample, SampleUnref> sample(raw);
    return sample && gst_sample_get_buffer(sample.get()) != nullptr;
}

}  // namespace zelko::mci
