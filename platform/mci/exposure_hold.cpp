// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/exposure_hold.h"

#include "platform/mci/gst_holders.h"
#include "platform/mci/log.h"

#include <atomic>
#include <memory>

namespace zelko::mci {

namespace {

// One element's hold: shared by its probe and by the handler waiting for the decode pad.
struct Hold {
    GstPad* source = nullptr;  // the element's; a reference here would keep the pad alive
    gulong probeId = 0;
    std::atomic<bool> released{false};

    // True for the one caller that gets to let go.
    bool claim() { return !released.exchange(true); }
};
using HoldPtr = std::shared_ptr<Hold>;

void deleteHold(gpointer data, GClosure*)
{
    delete static_cast<HoldPtr*>(data);
}

// Runs on the thread that links the decode pad out of decodebin2 (the typefinder's).
void onExposed(GstPad*, GstPad*, gpointer data)
{
    const HoldPtr& hold = *static_cast<HoldPtr*>(data);
    if (hold->claim()) {
        gst_pad_remove_probe(hold->source, hold->probeId);
    }
}

// The ghost pad that carries `source` out of decodebin2, or null.
PadPtr decodePadOf(GstPad* source)
{
    PadPtr peer(gst_pad_get_peer(source));
    if (!peer || !GST_IS_PROXY_PAD(peer.get())) {
        return nullptr;
    }
    return PadPtr(GST_PAD(gst_proxy_pad_get_internal(GST_PROXY_PAD(peer.get()))));
}

// Runs on the element's streaming thread when its first buffer is about to leave.
GstPadProbeReturn onFirstBuffer(GstPad* pad, GstPadProbeInfo*, gpointer data)
{
    const HoldPtr& hold = *static_cast<HoldPtr*>(data);
    const PadPtr decodePad = decodePadOf(pad);
    if (decodePad && !gst_pad_is_linked(decodePad.get())) {
        g_signal_connect_data(decodePad.get(), "linked", G_CALLBACK(onExposed), new HoldPtr(hold), deleteHold,
                              static_cast<GConnectFlags>(0));
        if (!gst_pad_is_linked(decodePad.get())) {
            return GST_PAD_PROBE_OK;  // blocks until onExposed removes the probe
        }
    }
    // Already exposed (or not in a decodebin): the buffer goes on, and so does every later one.
    return hold->claim() ? GST_PAD_PROBE_REMOVE : GST_PAD_PROBE_OK;
}

}  // namespace

void holdBuffersUntilExposed(GstElement* element)
{
    PadPtr source(gst_element_get_static_pad(element, "src"));
    if (!source) {
        return;
    }
    GST_CAT_INFO_OBJECT(zelko_mci_debug, element,
                        "holding the first buffer until decodebin2 exposes the pad: decodebin2 sets the element to "
                        "PAUSED before it blocks the decode pad (found on GStreamer 1.22)");
    auto hold = std::make_shared<Hold>();
    hold->source = source.get();
    hold->probeId = gst_pad_add_probe(
        source.get(), static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER), onFirstBuffer,
        new HoldPtr(hold), [](gpointer data) { delete static_cast<HoldPtr*>(data); });
}

}  // namespace zelko::mci
