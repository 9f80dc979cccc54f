// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/sinks.h"

#include "platform/mci/log.h"
#include "platform/mci/window_geometry.h"

#include <gst/base/gstbasetransform.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

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

bool hasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

// The first pixel format an opened sink takes: for the X sinks, the X server's own.
std::string firstFormat(GstElement* sink)
{
    PadPtr pad(gst_element_get_static_pad(sink, "sink"));
    CapsPtr caps(pad ? gst_pad_query_caps(pad.get(), nullptr) : nullptr);
    if (!caps || gst_caps_is_empty(caps.get()) || gst_caps_is_any(caps.get())) {
        return {};
    }
    const GValue* format = gst_structure_get_value(gst_caps_get_structure(caps.get(), 0), "format");
    if (format != nullptr && GST_VALUE_HOLDS_LIST(format) && gst_value_list_get_size(format) > 0) {
        format = gst_value_list_get_value(format, 0);
    }
    return format != nullptr && G_VALUE_HOLDS_STRING(format) ? g_value_get_string(format) : "";
}

// True when an element of this factory can be opened (reach READY) on this machine; `format`,
// when given, gets the first pixel format it takes once open.
bool opens(const char* factory, std::string* format = nullptr)
{
    ElementPtr element = adoptElement(gst_element_factory_make(factory, nullptr));
    if (!element) {
        return false;
    }
    const bool ok = gst_element_set_state(element.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    if (ok && format != nullptr) {
        *format = firstFormat(element.get());
    }
    gst_element_set_state(element.get(), GST_STATE_NULL);
    return ok;
}

// The X sink that opens on this display, probed once, and the format of its images.
struct XSink {
    const char* factory = nullptr;
    std::string format;
};

const XSink& xSink()
{
    // XVideo when the server has it, else plain X images, else (a display that cannot be
    // reached) none.
    static std::once_flag probed;
    static XSink sink;
    std::call_once(probed, [] {
        if (!hasDisplay()) {
            return;
        }
        if (opens("xvimagesink")) {
            sink.factory = "xvimagesink";
        } else if (opens("ximagesink", &sink.format)) {
            GST_CAT_INFO(zelko_mci_debug, "xvimagesink does not open on this display: ximagesink draws the video");
            sink.factory = "ximagesink";
        } else {
            GST_CAT_WARNING(zelko_mci_debug, "no X video sink opens on the display: videos play without a picture");
        }
    });
    return sink;
}

// videoflip's names for the turns; "auto" follows the stream's image-orientation tag.
const char* directionOf(Orientation orientation)
{
    switch (orientation) {
    case Orientation::Upright: return "identity";
    case Orientation::Clockwise90: return "90r";
    case Orientation::Turned180: return "180";
    case Orientation::Counterclockwise90: return "90l";
    case Orientation::MirroredLeftRight: return "horiz";
    case Orientation::MirroredTopBottom: return "vert";
    case Orientation::Transposed: return "ul-lr";
    case Orientation::AntiTransposed: return "ur-ll";
    case Orientation::Unknown: break;
    }
    return "auto";
}

// videoflip of GStreamer 1.22 copies every picture while it turns nothing: it enters
// passthrough only when its turn changes to none, and it starts with none. Told so here, it
// passes an upright picture through untouched; a turn it is set to, or that a tag brings,
// takes passthrough away again.
void passUprightThrough(GstElement* flip)
{
    GST_CAT_DEBUG_OBJECT(zelko_mci_debug, flip,
                         "passing an upright picture through untouched: videoflip copies "
                         "each one while it turns nothing (found on GStreamer 1.22)");
    gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(flip), TRUE);
}

// A videoflip following the stream's image-orientation tag until told a turn. Null where
// GStreamer has none.
ElementPtr makeTurner()
{
    ElementPtr flip = adoptElement(gst_element_factory_make("videoflip", nullptr));
    if (!flip) {
        GST_CAT_WARNING(zelko_mci_debug, "videoflip is missing: pictures show as stored, not turned upright");
    } else {
        gst_util_set_object_arg(G_OBJECT(flip.get()), "video-direction", directionOf(Orientation::Unknown));
        passUprightThrough(flip.get());
    }
    return flip;
}

// `sink` behind a turner, in a bin of their own; the turner reaches the caller through `turner`.
// Without videoflip, `sink` alone.
ElementPtr behindTurner(ElementPtr sink, ElementPtr& turner)
{
    ElementPtr flip = makeTurner();
    if (!flip || !sink) {
        return sink;
    }
    ElementPtr bin = adoptElement(gst_bin_new("upright-video"));
    // The bin takes its own reference to each part.
    gst_bin_add_many(GST_BIN(bin.get()), flip.get(), sink.get(), nullptr);
    gst_element_link(flip.get(), sink.get());
    PadPtr target(gst_element_get_static_pad(flip.get(), "sink"));
    gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", target.get()));
    turner = std::move(flip);
    return bin;
}

// ximagesink draws the picture at its own size in the middle of the window, so a scaler and
// a black frame in front make the picture the window's size with the video where it belongs.
// The picture is converted to the X server's format first, once, as a plain player does:
// the frame then only copies, and only where it adds a border or crops; left to choose,
// it converted every picture itself, slowly, even with no border at all. It is turned once
// it has its size, so the turn moves the fewest pixels; turned before, its stored size at
// the scaler's front would not follow the fitted one, and the picture came boxed twice.
void fitToWindow(VideoOutput& output)
{
    GstElement* bin = gst_bin_new("video-output");
    output.sink = adoptElement(bin);
    ElementPtr turner = makeTurner();
    const ElementPtr owned[] = {adoptElement(gst_element_factory_make("videoconvert", nullptr)),
                                adoptElement(gst_element_factory_make("capsfilter", nullptr)),
                                adoptElement(gst_element_factory_make("videoscale", nullptr)),
                                adoptElement(gst_element_factory_make("capsfilter", nullptr)),
                                adoptElement(gst_element_factory_make("videobox", nullptr)),
                                adoptElement(gst_element_factory_make("videoconvert", nullptr))};
    if (std::ranges::any_of(owned, [](const ElementPtr& part) { return !part; })) {
        GST_CAT_WARNING(zelko_mci_debug, "videoconvert, videoscale or videobox is missing: ximagesink draws the "
                                         "picture at its own size in the middle of the window");
        output.sink = behindTurner(ElementPtr(GST_ELEMENT(gst_object_ref(output.overlay.get()))), output.turner);
        return;
    }
    // The bin takes its own reference to each part; ours go with `owned`.
    std::vector<GstElement*> parts;
    for (const ElementPtr& part : owned) {
        parts.push_back(part.get());
        gst_bin_add(GST_BIN(bin), part.get());
    }
    if (turner) {
        gst_bin_add(GST_BIN(bin), turner.get());
        parts.insert(parts.begin() + 4, turner.get());
    }
    gst_bin_add(GST_BIN(bin), output.overlay.get());
    parts.push_back(output.overlay.get());
    if (const std::string& format = xSink().format; !format.empty()) {
        CapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, format.c_str(), nullptr));
        g_object_set(parts[1], "caps", caps.get(), nullptr);
    }
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        gst_element_link(parts[i], parts[i + 1]);
    }
    PadPtr target(gst_element_get_static_pad(parts[0], "sink"));
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", target.get()));
    output.fitter = std::make_unique<FrameFitter>(parts[3], owned[4].get(), target.get());
    output.turner = std::move(turner);
}

}  // namespace

Orientation orientationOfTags(const GstTagList* tags)
{
    GstVideoOrientationMethod method = GST_VIDEO_ORIENTATION_IDENTITY;
    if (tags == nullptr || !gst_video_orientation_from_tag(const_cast<GstTagList*>(tags), &method)) {
        return Orientation::Unknown;
    }
    switch (method) {
    case GST_VIDEO_ORIENTATION_IDENTITY: return Orientation::Upright;
    case GST_VIDEO_ORIENTATION_90R: return Orientation::Clockwise90;
    case GST_VIDEO_ORIENTATION_180: return Orientation::Turned180;
    case GST_VIDEO_ORIENTATION_90L: return Orientation::Counterclockwise90;
    case GST_VIDEO_ORIENTATION_HORIZ: return Orientation::MirroredLeftRight;
    case GST_VIDEO_ORIENTATION_VERT: return Orientation::MirroredTopBottom;
    case GST_VIDEO_ORIENTATION_UL_LR: return Orientation::Transposed;
    case GST_VIDEO_ORIENTATION_UR_LL: return Orientation::AntiTransposed;
    default: return Orientation::Unknown;
    }
}

void turnUpright(const VideoOutput& output, Orientation orientation)
{
    if (!output.turner) {
        return;
    }
    gst_util_set_object_arg(G_OBJECT(output.turner.get()), "video-direction", directionOf(orientation));
    if (orientation == Orientation::Upright || orientation == Orientation::Unknown) {
        passUprightThrough(output.turner.get());
    } else {
        GST_CAT_INFO_OBJECT(zelko_mci_debug, output.turner.get(),
                            "turned %s as the file's own matrix says: the stream's tag names only the plain "
                            "turns (found on GStreamer 1.22)",
                            directionOf(orientation));
    }
}

ElementPtr makeAudioSink()
{
    // The output that opens now: a sound server may have started, ended or come back since the
    // last file. The element that opened is the one used, still open, so the probe costs no
    // second connection (autoaudiosink, when there is no output, falls back to a sink that does
    // not follow the clock).
    for (const char* factory : {"pulsesink", "alsasink"}) {
        ElementPtr sink = adoptElement(gst_element_factory_make(factory, nullptr));
        if (sink && gst_element_set_state(sink.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
            return sink;
        }
        if (sink) {
            gst_element_set_state(sink.get(), GST_STATE_NULL);
        }
    }
    GST_CAT_INFO(zelko_mci_debug, "no sound output opens (pulsesink, alsasink): a silent sink keeps real time");
    return makeSilentAudioSink();
}

ElementPtr makeSilentAudioSink()
{
    return makeNullSink("null-audio-sink");
}

bool isInside(GstObject* source, GstElement* sink)
{
    return source != nullptr && sink != nullptr &&
           (source == GST_OBJECT(sink) || gst_object_has_as_ancestor(source, GST_OBJECT(sink)));
}

const char* videoSinkFactory()
{
    return xSink().factory;
}

VideoOutput makeVideoOutput(std::uintptr_t parentWindow)
{
    VideoOutput output;
    // A handle that names no window would make the X sink's first drawing call fail, and
    // Xlib ends the process on such errors; so the window is checked first.
    int width = 0;
    int height = 0;
    if (parentWindow != 0 && hasDisplay() && windowSize(parentWindow, width, height)) {
        if (const char* factory = videoSinkFactory(); factory != nullptr) {
            output.overlay = adoptElement(gst_element_factory_make(factory, nullptr));
        }
    }
    if (!output.overlay) {
        output.sink = behindTurner(makeNullSink("null-video-sink"), output.turner);
        return output;
    }
    g_object_set(output.overlay.get(), "handle-events", FALSE, "force-aspect-ratio", FALSE, nullptr);
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(output.overlay.get()), static_cast<guintptr>(parentWindow));
    gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(output.overlay.get()), FALSE);
    if (g_str_has_prefix(GST_OBJECT_NAME(output.overlay.get()), "xvimagesink")) {
        output.sink = behindTurner(ElementPtr(GST_ELEMENT(gst_object_ref(output.overlay.get()))), output.turner);
        return output;
    }
    fitToWindow(output);
    return output;
}

ElementPtr makeAudioFilter()
{
    ElementPtr filter = adoptElement(gst_element_factory_make("scaletempo", nullptr));
    if (!filter) {
        GST_CAT_WARNING(zelko_mci_debug, "scaletempo is missing: a changed speed changes the pitch too");
    }
    return filter;
}

}  // namespace zelko::mci
