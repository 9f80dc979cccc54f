// SPDX-License-Identifier: GPL-3.0-or-later
// The device's sound: volume and mute, applied to the pipeline at once and kept by it for every
// later play and seek; and the sound output going away mid-play.
#include "platform/mci/device.h"
#include "platform/mci/log.h"
#include "platform/time_limit.h"

namespace zelko::mci {

namespace {

constexpr GstClockTime kSilentPrerollTimeoutNs = platform::timeLimit(5 * GST_SECOND);
constexpr GstClockTime kSilentPrerollSliceNs = 100 * GST_MSECOND;

}  // namespace

void Device::useSilentSink()
{
    GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                        "the sound output failed: a silent sink keeps real time instead");
    // playbin takes a new sink only while it is stopped. What the old sink posted is about a
    // sink that is gone; the bus drops it.
    gst_element_set_state(m_playbin.get(), GST_STATE_NULL);
    gst_element_set_state(m_audioSink.get(), GST_STATE_NULL);
    gst_bus_set_flushing(m_bus.get(), TRUE);
    gst_bus_set_flushing(m_bus.get(), FALSE);
    ElementPtr silent = makeSilentAudioSink();
    g_object_set(m_playbin.get(), "audio-sink", silent.get(), nullptr);
    m_range.attach(silent.get());
    m_audioSink = std::move(silent);
    m_silent = true;
}

void Device::continueWithoutSound()
{
    m_soundLost = false;
    const Mode wanted = m_wanted;
    const int64_t atNs = positionNs();
    const std::optional<int64_t> held = m_heldPositionNs;
    const bool ended = m_ended;
    useSilentSink();
    const GstStateChangeReturn change = gst_element_set_state(m_playbin.get(), GST_STATE_PAUSED);
    const GstClockTime deadline = g_get_monotonic_time() * GST_USECOND + kSilentPrerollTimeoutNs;
    bool ready = change != GST_STATE_CHANGE_FAILURE && change != GST_STATE_CHANGE_ASYNC;
    while (change == GST_STATE_CHANGE_ASYNC && !ready && !m_failed) {
        const GstClockTime now = g_get_monotonic_time() * GST_USECOND;
        if (now >= deadline) {
            break;
        }
        waitForMessage(GST_MESSAGE_ASYNC_DONE, std::min<GstClockTime>(deadline - now, kSilentPrerollSliceNs));
        ready = gst_element_get_state(m_playbin.get(), nullptr, nullptr, 0) == GST_STATE_CHANGE_SUCCESS;
    }
    if (!ready) {
        GST_CAT_WARNING_OBJECT(zelko_mci_debug, m_playbin.get(),
                               "not prerolled on the silent sink within %" GST_TIME_FORMAT ": the media stops",
                               GST_TIME_ARGS(kSilentPrerollTimeoutNs));
        m_failed = true;
        m_error = "the sound output went away and the media could not go on without it";
        m_heldPositionNs = atNs;
        m_wanted = Mode::Stopped;
        return;
    }
    GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(), "going on silently from %" GST_TIME_FORMAT,
                        GST_TIME_ARGS(atNs));
    m_wanted = Mode::Stopped;
    seekRange(atNs, m_stopNs);
    if (wanted == Mode::Playing) {
        m_wanted = Mode::Playing;
        setState(GST_STATE_PLAYING);
        return;
    }
    m_wanted = wanted;
    m_heldPositionNs = held;
    m_ended = ended;
}

void Device::setVolume(uint32_t permille)
{
    if (!m_hasAudio) {
        return;
    }
    m_volumePermille = permille;
    // playbin's volume is linear: 1.0 is the stream's own level.
    g_object_set(m_playbin.get(), "volume", permille / 1000.0, nullptr);
}

void Device::setMuted(bool muted)
{
    if (m_hasAudio) {
        g_object_set(m_playbin.get(), "mute", muted ? TRUE : FALSE, nullptr);
    }
}

}  // namespace zelko::mci
