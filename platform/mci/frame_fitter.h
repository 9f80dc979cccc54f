// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci/gst_holders.h"

#include <atomic>
#include <mutex>
#include <optional>

namespace zelko::mci {

// Sizes and frames the picture for the plain X image sink: the scaler's caps give the size,
// the box's borders place it in the window. While the media plays, a new fit is applied on the
// streaming thread between two buffers, so the stream never negotiates against half of a
// change (caps set, borders not yet), which stops it for good with "not negotiated".
class FrameFitter {
public:
    struct Fit {
        int width = 0;  // as shown: turned, when the picture is turned
        int height = 0;
        int left = 0;  // negative values add a black border, positive ones crop
        int top = 0;
        int right = 0;
        int bottom = 0;
        // The picture is turned across after it is scaled (a quarter turn, a diagonal mirror):
        // the scaler makes it height by width.
        bool turnedAcross = false;
        bool operator==(const Fit&) const = default;
    };

    // streamPad is where buffers enter the scaler; the probe lives as long as the fitter.
    FrameFitter(GstElement* scaleCaps, GstElement* box, GstPad* streamPad);
    ~FrameFitter();
    FrameFitter(const FrameFitter&) = delete;
    FrameFitter& operator=(const FrameFitter&) = delete;

    // On the caller's thread. With `streaming` false no buffer flows (paused, stopped, not yet
    // started) and the fit is applied at once; otherwise before the next buffer.
    void fit(const Fit& fit, bool streaming);
    // On the caller's thread, once no buffer flows any more: applies a fit still waiting for the
    // next buffer. True when there was one.
    bool settle();
    // True when the picture last sent to the sink was made with another fit than the one now
    // set: a paused picture must be decoded again to show at the new size.
    bool lastFrameStale() const { return m_drawnGeneration.load() != m_appliedGeneration.load(); }

private:
    static GstPadProbeReturn onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void apply(const Fit& fit);

    ElementPtr m_scaleCaps;
    ElementPtr m_box;
    PadPtr m_streamPad;
    gulong m_probe = 0;
    std::mutex m_mutex;
    std::optional<Fit> m_pending;
    std::atomic<bool> m_hasPending{false};
    std::optional<Fit> m_applied;
    // Counts the fits applied; each buffer that enters the scaler records the count it met.
    std::atomic<uint32_t> m_appliedGeneration{0};
    std::atomic<uint32_t> m_drawnGeneration{0};
};

}  // namespace zelko::mci
