// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/frame_fitter.h"

namespace zelko::mci {

FrameFitter::FrameFitter(GstElement* scaleCaps, GstElement* box, GstPad* streamPad)
    : m_scaleCaps(GST_ELEMENT(gst_object_ref(scaleCaps))), m_box(GST_ELEMENT(gst_object_ref(box))),
      m_streamPad(GST_PAD(gst_object_ref(streamPad)))
{
    m_probe = gst_pad_add_probe(m_streamPad.get(), GST_PAD_PROBE_TYPE_BUFFER, &FrameFitter::onBuffer, this, nullptr);
}

FrameFitter::~FrameFitter()
{
    if (m_probe != 0) {
        gst_pad_remove_probe(m_streamPad.get(), m_probe);
    }
}

void FrameFitter::fit(const Fit& fit, bool streaming)
{
    std::lock_guard lock(m_mutex);
    if (!streaming) {
        m_pending.reset();
        m_hasPending = false;
        apply(fit);
        return;
    }
    m_pending = fit;
    m_hasPending = true;
}

bool FrameFitter::settle()
{
    if (!m_hasPending.load()) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    const bool pending = m_pending.has_value();
    if (pending) {
        apply(*m_pending);
        m_pending.reset();
    }
    m_hasPending = false;
    return pending;
}

// Runs on the streaming thread, before each buffer enters the scaler; costs two atomic loads
// and a store when nothing is pending.
GstPadProbeReturn FrameFitter::onBuffer(GstPad*, GstPadProbeInfo*, gpointer self)
{
    auto* fitter = static_cast<FrameFitter*>(self);
    if (fitter->m_hasPending.load()) {
        std::lock_guard lock(fitter->m_mutex);
        if (fitter->m_pending) {
            fitter->apply(*fitter->m_pending);
            fitter->m_pending.reset();
        }
        fitter->m_hasPending = false;
    }
    fitter->m_drawnGeneration.store(fitter->m_appliedGeneration.load());
    return GST_PAD_PROBE_OK;
}

void FrameFitter::apply(const Fit& fit)
{
    if (m_applied == fit) {
        return;
    }
    m_applied = fit;
    m_appliedGeneration.fetch_add(1);
    const int scaledWidth = fit.turnedAcross ? fit.height : fit.width;
    const int scaledHeight = fit.turnedAcross ? fit.width : fit.height;
    CapsPtr caps(gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, scaledWidth, "height", G_TYPE_INT,
                                     scaledHeight, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr));
    g_object_set(m_box.get(), "left", 0, "top", 0, "right", 0, "bottom", 0, nullptr);
    g_object_set(m_scaleCaps.get(), "caps", caps.get(), nullptr);
    g_object_set(m_box.get(), "left", fit.left, "top", fit.top, "right", fit.right, "bottom", fit.bottom, nullptr);
}

}  // namespace zelko::mci
