#include "platform/mci/sinks.h"

#include "platform/mci/window_geometry.h"

#include <gst/video/videooverlay.h>

#include <cstdlib>
#include <mutex>
#include <string>

namespace zelko::mci {

namespace {

ElementPtr makeNullSink(const char* name)
{
    ElementPtr sink = adoptElement(gst_element_factory_make("fakesink", name));
    if (sink) {
        g_object_set(sink.get(), "sync", TRUE, nullptr);
    }
    return sink;
}

// True when an element of this factory can be opened (reach READY) on this machine.
bool opens(const char* factory)
{
    ElementPtr element = adoptElement(gst_element_factory_make(factory, nullptr));
    if (!element) {
        return false;
    }
    const bool ok = gst_element_set_state(element.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(element.get(), GST_STATE_NULL);
    return ok;
}

bool hasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

}  // namespace

ElementPtr makeAudioSink()
{
    // autoaudiosink picks a working output itself, but when there is none it falls back to a
    // sink that does not follow the clock; so it is used only when a real output opens.
    static std::once_flag probed;
    static bool haveOutput = false;
    std::call_once(probed, [] { haveOutput = opens("pulsesink") || opens("alsasink"); });
    if (haveOutput) {
        if (ElementPtr sink = adoptElement(gst_element_factory_make("autoaudiosink", nullptr))) {
            return sink;
        }
    }
    return makeNullSink("null-audio-sink");
}

VideoOutput makeVideoOutput(std::uintptr_t parentWindow)
{
    VideoOutput output;
    // A handle that names no window would make the X sink's first drawing call fail, and
    // Xlib ends the process on such errors; so the window is checked first.
    int width = 0;
    int height = 0;
    if (parentWindow != 0 && hasDisplay() && windowSize(parentWindow, width, height)) {
        // Probed once: XVideo when the server has it, else plain X images, else (a display
        // that cannot be reached) the null sink.
        static std::once_flag probed;
        static const char* factory = nullptr;
        std::call_once(probed, [] {
            factory = opens("xvimagesink") ? "xvimagesink" : opens("ximagesink") ? "ximagesink" : nullptr;
        });
        if (factory != nullptr) {
            output.overlay = adoptElement(gst_element_factory_make(factory, nullptr));
        }
    }
    if (!output.overlay) {
        output.sink = makeNullSink("null-video-sink");
        return output;
    }
    g_object_set(output.overlay.get(), "handle-events", FALSE, "force-aspect-ratio", FALSE, nullptr);
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(output.overlay.get()),
                                        static_cast<guintptr>(parentWindow));
    gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(output.overlay.get()), FALSE);
    if (g_str_has_prefix(GST_OBJECT_NAME(output.overlay.get()), "xvimagesink")) {
        output.sink.reset(GST_ELEMENT(gst_object_ref(output.overlay.get())));
        return output;
    }
    // ximagesink draws the picture at its own size in the middle of the window, so a scaler and
    // a black frame in front make the picture the window's size with the video where it belongs.
    GstElement* bin = gst_bin_new("video-output");
    output.sink = adoptElement(bin);
    GstElement* parts[] = {gst_element_factory_make("videoconvert", nullptr),
                           gst_element_factory_make("videoscale", nullptr),
                           gst_element_factory_make("capsfilter", nullptr),
                           gst_element_factory_make("videobox", nullptr),
                           gst_element_factory_make("videoconvert", nullptr)};
    bool complete = true;
    for (GstElement* part : parts) {
        complete = complete && part != nullptr;
    }
    if (!complete) {
        for (GstElement* part : parts) {
            if (part != nullptr) {
                gst_object_unref(gst_object_ref_sink(part));
            }
        }
        output.sink.reset(GST_ELEMENT(gst_object_ref(output.overlay.get())));
        return output;
    }
    for (GstElement* part : parts) {
        gst_bin_add(GST_BIN(bin), part);
    }
    gst_bin_add(GST_BIN(bin), output.overlay.get());
    gst_element_link_many(parts[0], parts[1], parts[2], parts[3], parts[4], output.overlay.get(), nullptr);
    PadPtr target(gst_element_get_static_pad(parts[0], "sink"));
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", target.get()));
    output.fitter = std::make_unique<FrameFitter>(parts[2], parts[3], target.get());
    return output;
}

ElementPtr makeAudioFilter()
{
    return adoptElement(gst_element_factory_make("scaletempo", nullptr));
}

}  // namespace zelko::mci
