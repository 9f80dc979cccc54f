// SPDX-License-Identifier: GPL-3.0-or-later
// The picture in its parent window: the destination in the window's device pixels, and the
// picture drawn again when the window is uncovered or resized while no buffer flows.
#include "platform/mci/device.h"

#include <gst/video/videooverlay.h>
#include <algorithm>
#include <cmath>

namespace zelko::mci {

namespace {

constexpr GstClockTime kPrerollAgainTimeoutNs = 3 * GST_SECOND;

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
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek(m_playbin.get(), m_appliedRate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, shownNs,
                          GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE)) {
        return false;
    }
    waitForMessage(GST_MESSAGE_ASYNC_DONE, kPrerollAgainTimeoutNs);
    return true;
}

}  // namespace zelko::mci
