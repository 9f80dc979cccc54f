// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/track_tags.h"

#include "platform/mci/gst_holders.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <memory>

namespace zelko::platform {

namespace {

// Long enough for a file's header on a slow disk; a file that takes longer is read as untagged.
constexpr GstClockTime kDiscoverTimeout = 3 * GST_SECOND;
// GST_TAG_IMAGE_TYPE_FRONT_COVER, the image type a sample's info names (gst/tag/tag.h).
constexpr gint kFrontCover = 1;

using mci::BusPtr;
using mci::ElementPtr;
using mci::GCharPtr;
using mci::GErrorPtr;
using mci::GObjectUnref;
using mci::MessagePtr;
using mci::PadPtr;
using TagListHolder = mci::TagListPtr;

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

// Every stream's tags in one list: a container's tags reach the streams in it. The tags a
// demuxer gives for the whole file (MP4 atoms, ASF attributes) the discoverer keeps apart, as
// the container's own, on the top of the stream tree.
TagListHolder allTags(GstDiscovererInfo* info)
{
    TagListHolder merged(gst_tag_list_new_empty());
    const std::unique_ptr<GstDiscovererStreamInfo, GObjectUnref> top(gst_discoverer_info_get_stream_info(info));
    if (top && GST_IS_DISCOVERER_CONTAINER_INFO(top.get())) {
        if (const GstTagList* tags = gst_discoverer_container_info_get_tags(GST_DISCOVERER_CONTAINER_INFO(top.get()))) {
            gst_tag_list_insert(merged.get(), tags, GST_TAG_MERGE_KEEP);
        }
    }
    GList* streams = gst_discoverer_info_get_stream_list(info);
    for (GList* item = streams; item != nullptr; item = item->next) {
        const GstTagList* tags = gst_discoverer_stream_info_get_tags(GST_DISCOVERER_STREAM_INFO(item->data));
        if (tags) {
            gst_tag_list_insert(merged.get(), tags, GST_TAG_MERGE_KEEP);
        }
    }
    gst_discoverer_stream_info_list_free(streams);
    return merged;
}

// Runs on the streaming thread: each stream parsebin finds ends in a sink of its own.
void sinkStream(GstElement* /*parsebin*/, GstPad* pad, gpointer pipeline)
{
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink || !gst_bin_add(GST_BIN(pipeline), sink)) {
        return;
    }
    gst_element_sync_state_with_parent(sink);
    const PadPtr sinkPad(gst_element_get_static_pad(sink, "sink"));
    gst_pad_link(pad, sinkPad.get());
}

// The tags of a file whose decoder is missing. The discoverer gives no streams, and so no tags,
// for such a file, yet its tags are in the container: parsebin reaches them without decoding.
TagListHolder tagsWithoutDecoding(const std::string& path)
{
    TagListHolder merged(gst_tag_list_new_empty());
    const ElementPtr pipeline(gst_pipeline_new(nullptr));
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* parser = gst_element_factory_make("parsebin", nullptr);
    if (!source || !parser) {
        if (source) {
            gst_object_unref(gst_object_ref_sink(source));
        }
        if (parser) {
            gst_object_unref(gst_object_ref_sink(parser));
        }
        return merged;
    }
    g_object_set(source, "location", path.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(pipeline.get()), source, parser, nullptr);
    g_signal_connect(parser, "pad-added", G_CALLBACK(sinkStream), pipeline.get());
    const BusPtr bus(gst_element_get_bus(pipeline.get()));
    if (gst_element_link(source, parser) &&
        gst_element_set_state(pipeline.get(), GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE) {
        const GstClockTime deadline = gst_util_get_timestamp() + kDiscoverTimeout;
        for (GstClockTime now = gst_util_get_timestamp(); now < deadline; now = gst_util_get_timestamp()) {
            const MessagePtr message(gst_bus_timed_pop_filtered(
                bus.get(), deadline - now,
                static_cast<GstMessageType>(GST_MESSAGE_TAG | GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR)));
            if (!message || GST_MESSAGE_TYPE(message.get()) != GST_MESSAGE_TAG) {
                break;
            }
            GstTagList* tags = nullptr;
            gst_message_parse_tag(message.get(), &tags);
            gst_tag_list_insert(merged.get(), tags, GST_TAG_MERGE_KEEP);
            gst_tag_list_unref(tags);
        }
    }
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return merged;
}

}  // namespace

TrackTags readTrackTags(const std::string& path)
{
    TrackTags out;
    if (!gst_init_check(nullptr, nullptr, nullptr)) {
        return out;
    }
    GError* error = nullptr;
    const GCharPtr uri(gst_filename_to_uri(path.c_str(), &error));
    GErrorPtr uriError(error);
    if (!uri) {
        return out;
    }
    const std::unique_ptr<GstDiscoverer, GObjectUnref> discoverer(gst_discoverer_new(kDiscoverTimeout, &error));
    GErrorPtr newError(error);
    if (!discoverer) {
        return out;
    }
    const std::unique_ptr<GstDiscovererInfo, GObjectUnref> info(
        gst_discoverer_discover_uri(discoverer.get(), uri.get(), &error));
    GErrorPtr discoverError(error);
    // A file that failed or took too long has no tags worth trusting.
    const GstDiscovererResult result = info ? gst_discoverer_info_get_result(info.get()) : GST_DISCOVERER_ERROR;
    if (result != GST_DISCOVERER_OK && result != GST_DISCOVERER_MISSING_PLUGINS) {
        return out;
    }
    const TagListHolder tags = result == GST_DISCOVERER_OK ? allTags(info.get()) : tagsWithoutDecoding(path);
    out.title = stringTag(tags.get(), GST_TAG_TITLE);
    out.artist = stringTag(tags.get(), GST_TAG_ARTIST);
    out.album = stringTag(tags.get(), GST_TAG_ALBUM);
    out.genre = stringTag(tags.get(), GST_TAG_GENRE);
    guint number = 0;
    if (gst_tag_list_get_uint(tags.get(), GST_TAG_TRACK_NUMBER, &number)) {
        out.trackNumber = number;
    }
    takeCover(tags.get(), out);
    return out;
}

TrackTagReader::TrackTagReader(Done done) : m_done(std::move(done)) {}

TrackTagReader::~TrackTagReader()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_waiting.clear();
    }
    m_wake.notify_one();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void TrackTagReader::read(uint64_t request, std::string path)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_waiting.emplace_back(request, std::move(path));
        if (!m_thread.joinable()) {
            m_thread = std::thread(&TrackTagReader::run, this);
        }
    }
    m_wake.notify_one();
}

void TrackTagReader::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
        if (m_stopping) {
            return;
        }
        auto [request, path] = std::move(m_waiting.front());
        m_waiting.pop_front();
        lock.unlock();
        m_done(request, readTrackTags(path));
        lock.lock();
    }
}

}  // namespace zelko::platform
