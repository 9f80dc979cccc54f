// SPDX-License-Identifier: GPL-3.0-or-later
// aiffparse in pull mode starts pushing on its own thread while decodebin2, on the
// typefinder's thread, has yet to expose its pad; pushed into the unlinked pad, its first
// buffer stops the stream. Left alone that happens now and then, when the typefinder's thread
// loses the processor for a moment between setting aiffparse to PAUSED and exposing its pad.
// The test holds the typefinder's thread in that moment (where decodebin2 reports, in
// GStreamer's debug log, that it is about to expose the pad) until aiffparse's thread has
// pushed its first buffer (and failed, or had it held): left alone (GStreamer 1.22) the
// occasional failure becomes a near-certain one, so aiffparse whose buffers wait for the
// exposure, as the engine makes them, is shown to play through the race.
#include "platform/mci/exposure_hold.h"
#include "platform/mci/gst_holders.h"
#include "platform/time_limit.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>

namespace zelko::mci::test {
namespace {

struct Race {
    std::mutex mutex;
    std::condition_variable changed;
    GstElement* aiffparse = nullptr;  // owned by the pipeline
    bool aiffparseFailed = false;
    bool held = false;  // the typefinder waited until aiffparse's thread had its go

    // Whether aiffparse's thread has had its go: failed, or had its buffer held.
    bool hadItsGo() const
    {
        PadPtr source(gst_element_get_static_pad(aiffparse, "src"));
        return aiffparseFailed || gst_pad_is_blocking(source.get());
    }
};

// Runs on whichever thread adds the element: the typefinder's, for aiffparse.
void onElementSetup(GstElement*, GstElement* element, gpointer data)
{
    auto& race = *static_cast<Race*>(data);
    if (!g_str_has_prefix(GST_OBJECT_NAME(element), "aiffparse")) {
        return;
    }
    const std::lock_guard lock(race.mutex);
    race.aiffparse = element;
    holdBuffersUntilExposed(element);
}

// Runs on the posting thread: notes aiffparse's failure.
GstBusSyncReply noteFailure(GstBus*, GstMessage* message, gpointer data)
{
    auto& race = *static_cast<Race*>(data);
    const std::lock_guard lock(race.mutex);
    if (race.aiffparse != nullptr && GST_MESSAGE_SRC(message) == GST_OBJECT(race.aiffparse) &&
        GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        race.aiffparseFailed = true;
        race.changed.notify_all();
    }
    return GST_BUS_PASS;
}

// Runs on the logging thread. decodebin2 reports that it is about to expose aiffparse's pad
// (on the typefinder's thread, after setting aiffparse to PAUSED); there that thread waits.
void holdTheTypefinder(GstDebugCategory*, GstDebugLevel, const gchar*, const gchar* function, gint, GObject*,
                       GstDebugMessage* message, gpointer data)
{
    auto& race = *static_cast<Race*>(data);
    std::unique_lock lock(race.mutex);
    if (race.aiffparse != nullptr && g_strcmp0(function, "expose_pad") == 0 &&
        g_str_has_prefix(gst_debug_message_get(message), "pad aiffparse")) {
        // A held buffer is a state, not an event: it is looked at every 10 ms.
        const auto deadline = std::chrono::steady_clock::now() + platform::timeLimit(std::chrono::seconds(2));
        while (!race.hadItsGo() && std::chrono::steady_clock::now() < deadline) {
            race.changed.wait_for(lock, std::chrono::milliseconds(10));
        }
        race.held = race.held || race.hadItsGo();
    }
}

// True when the file prerolled; `error` then stays empty. `held` tells whether the race was
// forced at all.
bool preroll(std::string& error, bool& held)
{
    Race race;
    ElementPtr playbin = adoptElement(gst_element_factory_make("playbin", nullptr));
    GCharPtr uri(gst_filename_to_uri(ZELKO_CLIPS_DIR "/aiff-16.aiff", nullptr));
    ElementPtr audioSink = adoptElement(gst_element_factory_make("fakesink", nullptr));
    ElementPtr videoSink = adoptElement(gst_element_factory_make("fakesink", nullptr));
    g_object_set(playbin.get(), "uri", uri.get(), "audio-sink", audioSink.get(), "video-sink", videoSink.get(),
                 nullptr);
    g_signal_connect(playbin.get(), "element-setup", G_CALLBACK(onElementSetup), &race);
    BusPtr bus(gst_element_get_bus(playbin.get()));
    gst_bus_set_sync_handler(bus.get(), noteFailure, &race, nullptr);
    gst_debug_add_log_function(holdTheTypefinder, &race, nullptr);

    gst_element_set_state(playbin.get(), GST_STATE_PAUSED);
    const auto ends = static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR);
    MessagePtr end(gst_bus_timed_pop_filtered(bus.get(), 5 * GST_SECOND, ends));
    const bool prerolled = end && GST_MESSAGE_TYPE(end.get()) == GST_MESSAGE_ASYNC_DONE;
    if (end && GST_MESSAGE_TYPE(end.get()) == GST_MESSAGE_ERROR) {
        GError* raw = nullptr;
        gst_message_parse_error(end.get(), &raw, nullptr);
        GErrorPtr failure(raw);
        error = failure ? failure->message : "an error";
    }
    gst_debug_remove_log_function_by_data(&race);
    gst_element_set_state(playbin.get(), GST_STATE_NULL);
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    held = race.held;
    return prerolled && error.empty();
}

TEST(AiffExposure, AiffparseWhoseBuffersWaitForTheExposurePlaysThroughTheRace)
{
    gst_init(nullptr, nullptr);
    // The moment is found in decodebin2's debug messages, which go to no other output.
    gst_debug_remove_log_function(gst_debug_log_default);
    gst_debug_set_default_threshold(GST_LEVEL_NONE);
    gst_debug_set_threshold_for_name("decodebin", GST_LEVEL_DEBUG);
    // Now and then aiffparse's thread pauses itself before its first push and the hold ends by
    // its deadline with nothing forced; the other runs each meet the race.
    int forced = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::string error;
        bool held = false;
        EXPECT_TRUE(preroll(error, held)) << error;
        forced += held ? 1 : 0;
    }
    EXPECT_GT(forced, 0) << "the typefinder was never held: decodebin2's debug message has changed";
}

}  // namespace
}  // namespace zelko::mci::test
