// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/pipeline_setup.h"

#include "platform/mci/exposure_hold.h"
#include "platform/mci/log.h"
#include "platform/mci/wav_timing.h"

namespace zelko::mci {

namespace {

// decodebin's "autoplug-select" answers; GStreamer leaves their declaration to applications.
enum AutoplugSelect : gint { kAutoplugTry = 0, kAutoplugExpose = 1, kAutoplugSkip = 2 };

bool madeBy(GstElement* element, const char* factoryName)
{
    GstElementFactory* factory = gst_element_get_factory(element);
    return factory != nullptr && g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), factoryName) == 0;
}

// Runs on the typefinder's thread: leaves aiffparse out where the file needs libav's demuxer.
gint skipAiffparse(GstElement* decodebin, GstPad*, GstCaps*, GstElementFactory* factory, gpointer)
{
    if (g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "aiffparse") != 0) {
        return kAutoplugTry;
    }
    GST_CAT_INFO_OBJECT(zelko_mci_debug, decodebin,
                        "skipping aiffparse: it does not read this AIFF-C coding, libav's demuxer does "
                        "(found on GStreamer 1.22)");
    return kAutoplugSkip;
}

// Runs on whichever thread adds the element: the caller's for playbin's own parts, GStreamer's
// streaming threads for what decodebin plugs.
void onElementSetup(GstElement*, GstElement* element, gpointer data)
{
    const auto& facts = *static_cast<const MediaFacts*>(data);
    if (madeBy(element, "aiffparse")) {
        holdBuffersUntilExposed(element);
    } else if (madeBy(element, "decodebin") && facts.aiffNeedsLibav) {
        // Handlers run in the order they were connected, and the ones before return "try".
        g_signal_connect(element, "autoplug-select", G_CALLBACK(skipAiffparse), nullptr);
    } else if (madeBy(element, "wavparse") && facts.container == Container::Wave && facts.coding != AudioCoding::Pcm &&
               facts.coding != AudioCoding::Other) {
        correctWavTiming(element, {facts.sampleRate, facts.blockAlign, facts.samplesPerBlock, facts.lengthNs});
    }
}

}  // namespace

void setUpPipeline(GstElement* playbin, const MediaFacts& facts)
{
    g_signal_connect_data(
        playbin, "element-setup", G_CALLBACK(onElementSetup), new MediaFacts(facts),
        [](gpointer data, GClosure*) { delete static_cast<MediaFacts*>(data); }, static_cast<GConnectFlags>(0));
}

}  // namespace zelko::mci
