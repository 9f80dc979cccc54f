// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gst/gst.h>

#include <memory>

namespace zelko::mci {

// Owning holders for the GStreamer and GLib objects the engine and the tag reader keep, so that
// no path through them can leak a reference.
struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GstMessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct GstCapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
struct GFreeDeleter {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct GstTagListUnref {
    void operator()(GstTagList* tags) const { gst_tag_list_unref(tags); }
};
struct GstIteratorFree {
    void operator()(GstIterator* iterator) const { gst_iterator_free(iterator); }
};
struct FeatureListFree {
    void operator()(GList* features) const { gst_plugin_feature_list_free(features); }
};

using ElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using BusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using PadPtr = std::unique_ptr<GstPad, GstObjectUnref>;
using MessagePtr = std::unique_ptr<GstMessage, GstMessageUnref>;
using CapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;
using TagListPtr = std::unique_ptr<GstTagList, GstTagListUnref>;
using IteratorPtr = std::unique_ptr<GstIterator, GstIteratorFree>;
using FeatureListPtr = std::unique_ptr<GList, FeatureListFree>;  // a list of plugin features
using FeaturePtr = std::unique_ptr<GstPluginFeature, GstObjectUnref>;

// Takes a floating element (as made by gst_element_factory_make) into an owning holder.
inline ElementPtr adoptElement(GstElement* element)
{
    if (element != nullptr) {
        gst_object_ref_sink(element);
    }
    return ElementPtr(element);
}

}  // namespace zelko::mci
