// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/track_tags.h"

#include "platform/mci/gst_holders.h"

#include <gst/gst.h>

#include <memory>

namespace zelko::mci {

namespace {

// GST_TAG_IMAGE_TYPE_FRONT_COVER, the image type a sample's info names (gst/tag/tag.h).
constexpr gint kFrontCover = 1;

using platform::kMaxCoverBytes;
using platform::TrackTags;
using TagListHolder = TagListPtr;

std::string stringTag(const GstTagList* tags, const char* name)
{
    gchar* value = nullptr;
    if (!gst_tag_list_get_string(tags, name, &value)) {
        return {};
    }
    const GCharPtr holder(value);
    return value;
}

// The front cover where the file marks one, else its first picture.
void takeCover(const GstTagList* tags, TrackTags& out)
{
    const guint count = gst_tag_list_get_tag_size(tags, GST_TAG_IMAGE);
    for (guint i = 0; i < count; ++i) {
        GstSample* sample = nullptr;
        if (!gst_tag_list_get_sample_index(tags, GST_TAG_IMAGE, i, &sample)) {
            continue;
        }
        const std::unique_ptr<GstSample, void (*)(GstSample*)> holder(sample, gst_sample_unref);
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        const GstCaps* caps = gst_sample_get_caps(sample);
        const GstStructure* format = caps ? gst_caps_get_structure(caps, 0) : nullptr;
        if (!buffer || !format || !g_str_has_prefix(gst_structure_get_name(format), "image/")) {
            continue;
        }
        const GstStructure* info = gst_sample_get_info(sample);
        const GValue* type = info ? gst_structure_get_value(info, "image-type") : nullptr;
        const bool front = type && G_VALUE_HOLDS_ENUM(type) && g_value_get_enum(type) == kFrontCover;
        if (!out.cover.empty() && !front) {
            continue;
        }
        const gsize size = gst_buffer_get_size(buffer);
        if (size == 0 || size > kMaxCoverBytes) {
            continue;
        }
        out.cover.resize(size);
        gst_buffer_extract(buffer, 0, out.cover.data(), size);
        out.coverType = gst_structure_get_name(format);
        if (front) {
            return;
        }
    }
}

// Runs on the caller's thread: sticky events are read under the pad's own lock.
gboolean keepTags(GstPad*, GstEvent** event, gpointer merged)
{
    if (GST_EVENT_TYPE(*event) == GST_EVENT_TAG) {
        GstTagList* tags = nullptr;
        gst_event_parse_tag(*event, &tags);
        gst_tag_list_insert(static_cast<GstTagList*>(merged), tags, GST_TAG_MERGE_KEEP);
    }
    return TRUE;
}

void keepTagsOfPads(GstElement* element, GstTagList* merged)
{
    const IteratorPtr pads(gst_element_iterate_pads(element));
    GValue item = G_VALUE_INIT;
    for (GstIteratorResult result = gst_iterator_next(pads.get(), &item); result != GST_ITERATOR_DONE;
         result = gst_iterator_next(pads.get(), &item)) {
        if (result == GST_ITERATOR_RESYNC) {
            gst_iterator_resync(pads.get());
            continue;
        }
        if (result != GST_ITERATOR_OK) {
            break;
        }
        gst_pad_sticky_events_foreach(GST_PAD(g_value_get_object(&item)), keepTags, merged);
        g_value_reset(&item);
    }
    g_value_unset(&item);
}

}  // namespace

TrackTags trackTagsFrom(const GstTagList* tags)
{
    TrackTags out;
    out.title = stringTag(tags, GST_TAG_TITLE);
    out.artist = stringTag(tags, GST_TAG_ARTIST);
    out.album = stringTag(tags, GST_TAG_ALBUM);
    out.genre = stringTag(tags, GST_TAG_GENRE);
    guint number = 0;
    if (gst_tag_list_get_uint(tags, GST_TAG_TRACK_NUMBER, &number)) {
        out.trackNumber = number;
    }
    takeCover(tags, out);
    return out;
}

TrackTags tagsMetIn(GstElement* pipeline)
{
    const TagListHolder merged(gst_tag_list_new_empty());
    const IteratorPtr elements(gst_bin_iterate_recurse(GST_BIN(pipeline)));
    GValue item = G_VALUE_INIT;
    for (GstIteratorResult result = gst_iterator_next(elements.get(), &item); result != GST_ITERATOR_DONE;
         result = gst_iterator_next(elements.get(), &item)) {
        if (result == GST_ITERATOR_RESYNC) {
            gst_iterator_resync(elements.get());
            continue;
        }
        if (result != GST_ITERATOR_OK) {
            break;
        }
        keepTagsOfPads(GST_ELEMENT(g_value_get_object(&item)), merged.get());
        g_value_reset(&item);
    }
    g_value_unset(&item);
    return trackTagsFrom(merged.get());
}

}  // namespace zelko::mci
