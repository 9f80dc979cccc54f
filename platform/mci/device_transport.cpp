// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/device.h"

#include "platform/mci/errors.h"
#include "platform/mci/log.h"
#include "platform/mci/window_geometry.h"
#include "platform/time_limit.h"

#include <gst/video/videooverlay.h>

namespace zelko::mci {

namespace {

constexpr GstClockTime kSeekTimeoutNs = platform::timeLimit(3 * GST_SECOND);
// How long past the range's own playing time `play ... wait` waits before giving up.
constexpr GstClockTime kWaitSlackNs = platform::timeLimit(10 * GST_SECOND);

}  // namespace

uint32_t Device::play(std::optional<int64_t> fromNs, std::optional<int64_t> toNs)
{
    const int64_t startNs = fromNs ? *fromNs : positionNs();
    // A range that ends at the length plays to the stream's real end, which may lie later.
    const int64_t stopNs = toNs && *toNs < m_lengthNs ? *toNs : -1;
    const int64_t endNs = toNs ? *toNs : m_lengthNs;
    if (startNs >= endNs) {
        // An empty range plays nothing; a given start still moves the device there.
        if (fromNs) {
            return seek(startNs);
        }
        if (m_wanted == Mode::Playing) {
            setState(GST_STATE_PAUSED);
        }
        m_wanted = Mode::Stopped;
        return code::kSuccess;
    }
    const double rate = m_speedPermille / 1000.0;
    if (fromNs || m_heldPositionNs || m_ended || stopNs != m_stopNs || rate != m_appliedRate) {
        if (const uint32_t result = seekRange(startNs, stopNs); result != 0) {
            return result;
        }
    }
    m_wanted = Mode::Playing;
    m_redrawSeeked = false;
    if (!setState(GST_STATE_PLAYING)) {
        m_wanted = Mode::Stopped;
        return code::kInternal;
    }
    return code::kSuccess;
}

uint32_t Device::waitForEnd()
{
    if (m_wanted != Mode::Playing) {
        return code::kSuccess;
    }
    const int64_t endNs = m_stopNs >= 0 ? m_stopNs : m_lengthNs;
    const double rate = m_speedPermille / 1000.0;
    const auto remainingNs = static_cast<GstClockTime>(std::max<int64_t>(0, endNs - positionNs()) / rate);
    const auto types = static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR);
    const GstClockTime deadline = g_get_monotonic_time() * GST_USECOND + remainingNs + kWaitSlackNs;
    while (m_wanted == Mode::Playing) {
        const GstClockTime now = g_get_monotonic_time() * GST_USECOND;
        if (now >= deadline || !waitForMessage(types, deadline - now)) {
            if (m_wanted == Mode::Playing) {
                GST_CAT_WARNING_OBJECT(zelko_mci_debug, m_playbin.get(),
                                       "the range did not end within %" GST_TIME_FORMAT " of its playing time: stopped",
                                       GST_TIME_ARGS(kWaitSlackNs));
                stop();
                return code::kInternal;
            }
        }
    }
    return m_failed && !m_ended ? code::kHardware : code::kSuccess;
}

uint32_t Device::pause()
{
    if (m_wanted != Mode::Paused) {
        positionNs();
        setState(GST_STATE_PAUSED);
        m_wanted = Mode::Paused;
    }
    return code::kSuccess;
}

uint32_t Device::resume()
{
    switch (m_wanted) {
    case Mode::Playing: return code::kSuccess;
    case Mode::Paused: return play(std::nullopt, m_stopNs >= 0 ? std::optional<int64_t>(m_stopNs) : std::nullopt);
    default: return code::kNonapplicableFunction;
    }
}

uint32_t Device::stop()
{
    if (m_wanted == Mode::Playing) {
        positionNs();
        setState(GST_STATE_PAUSED);
    }
    m_wanted = Mode::Stopped;
    return code::kSuccess;
}

uint32_t Device::seek(int64_t targetNs)
{
    if (m_wanted == Mode::Playing) {
        setState(GST_STATE_PAUSED);
    }
    m_wanted = Mode::Stopped;
    const uint32_t result = seekRange(targetNs, -1);
    if (result == 0 && targetNs >= m_lengthNs) {
        // The pipeline cannot stand on the very end; the device can.
        m_heldPositionNs = m_lengthNs;
    }
    return result;
}

uint32_t Device::setSpeed(uint32_t permille)
{
    m_speedPermille = permille;
    if (m_wanted == Mode::Playing && !m_ended) {
        return seekRange(positionNs(), m_stopNs);
    }
    return code::kSuccess;
}

uint32_t Device::seekRange(int64_t startNs, int64_t stopNs)
{
    drainBus();
    m_redrawSeeked = false;
    const double rate = m_speedPermille / 1000.0;
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    m_range.setStop(stopNs >= 0 ? stopNs + m_originNs : -1);
    const gint64 stop = m_seekNeedsStop ? m_lengthNs + m_originNs : static_cast<gint64>(GST_CLOCK_TIME_NONE);
    if (!gst_element_seek(m_playbin.get(), rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, startNs + m_originNs,
                          GST_SEEK_TYPE_SET, stop)) {
        GST_CAT_WARNING_OBJECT(zelko_mci_debug, m_playbin.get(), "the pipeline refused the seek to %" GST_TIME_FORMAT,
                               GST_TIME_ARGS(startNs));
        return code::kInternal;
    }
    m_appliedRate = rate;
    m_stopNs = stopNs;
    m_ended = false;
    m_heldPositionNs.reset();
    m_lastPositionNs = startNs;
    // A flushing seek prerolls again; waiting for it makes the next position answer exact.
    if (!waitForMessage(GST_MESSAGE_ASYNC_DONE, kSeekTimeoutNs)) {
        GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                            "the seek to %" GST_TIME_FORMAT " did not preroll within %" GST_TIME_FORMAT
                            ": the position may lag until it does",
                            GST_TIME_ARGS(startNs), GST_TIME_ARGS(kSeekTimeoutNs));
    }
    return code::kSuccess;
}

uint32_t Device::putWindow(const Rect& rect)
{
    if (rect.width == 0 && rect.height == 0) {
        m_destination.x = rect.x;
        m_destination.y = rect.y;
    } else {
        m_destination = rect;
    }
    placeVideo();
    redraw();
    return code::kSuccess;
}

void Device::placeVideo()
{
    if (!m_video.overlay || m_destination.width <= 0 || m_destination.height <= 0) {
        return;
    }
    const PixelRect rect = destinationInDevicePixels();
    if (m_video.fitter) {
        int windowWidth = rect.x + rect.width;
        int windowHeight = rect.y + rect.height;
        if (m_parentWatch) {
            windowWidth = m_parentWatch->width();
            windowHeight = m_parentWatch->height();
        } else {
            windowSize(m_parentWindow, windowWidth, windowHeight);
        }
        // Negative borders add black, positive ones crop what lies outside the window.
        const FrameFitter::Fit fit{rect.width,
                                   rect.height,
                                   -rect.x,
                                   -rect.y,
                                   rect.x + rect.width - windowWidth,
                                   rect.y + rect.height - windowHeight,
                                   m_turnedAcross};
        m_video.fitter->fit(fit, m_wanted == Mode::Playing);
    }
    auto* overlay = GST_VIDEO_OVERLAY(m_video.overlay.get());
    gst_video_overlay_set_render_rectangle(overlay, rect.x, rect.y, rect.width, rect.height);
    gst_video_overlay_expose(overlay);
}

}  // namespace zelko::mci
