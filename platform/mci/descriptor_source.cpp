// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/descriptor_source.h"

#include "platform/mci/log.h"

#include <gst/base/gstbasesrc.h>
#include <gst/gst.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace zelko::mci {

namespace {

constexpr std::string_view kPrefix = "zelkofd://";

// The descriptors URIs name, by the number in the URI. A URI met anywhere else (one that a
// media file names, say) reaches only descriptors the engine itself registered.
struct Registry {
    std::mutex mutex;
    std::map<uint64_t, int> descriptors;
    uint64_t nextId = 1;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

// A copy of the descriptor that `uri` names, for an element that starts reading; -1 when the
// URI names none (any more).
int copyOf(std::string_view uri)
{
    if (uri.substr(0, kPrefix.size()) != kPrefix) {
        return -1;
    }
    const std::string_view number = uri.substr(kPrefix.size());
    uint64_t id = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), id);
    if (error != std::errc() || end != number.data() + number.size()) {
        return -1;
    }
    Registry& all = registry();
    const std::lock_guard<std::mutex> lock(all.mutex);
    const auto found = all.descriptors.find(id);
    return found != all.descriptors.end() ? ::fcntl(found->second, F_DUPFD_CLOEXEC, 0) : -1;
}

}  // namespace

DescriptorUri::DescriptorUri(platform::UniqueFd fd) : m_fd(std::move(fd))
{
    Registry& all = registry();
    const std::lock_guard<std::mutex> lock(all.mutex);
    m_id = all.nextId++;
    all.descriptors[m_id] = m_fd.get();
    m_uri = std::string(kPrefix) + std::to_string(m_id);
}

DescriptorUri::~DescriptorUri()
{
    Registry& all = registry();
    const std::lock_guard<std::mutex> lock(all.mutex);
    all.descriptors.erase(m_id);
}

}  // namespace zelko::mci

// The element, in GObject's terms. Its methods run on the thread that changes its state (start,
// stop) and on its streaming thread or the demuxer's (fill), never at once.
struct ZelkoDescriptorSrc {
    GstBaseSrc parent;
    gchar* uri;
    int fd;
    guint64 size;
};

struct ZelkoDescriptorSrcClass {
    GstBaseSrcClass parent_class;
};

static void zelko_descriptor_src_uri_handler_init(gpointer iface, gpointer);

G_DEFINE_TYPE_WITH_CODE(ZelkoDescriptorSrc, zelko_descriptor_src, GST_TYPE_BASE_SRC,
                        G_IMPLEMENT_INTERFACE(GST_TYPE_URI_HANDLER, zelko_descriptor_src_uri_handler_init))

namespace {

ZelkoDescriptorSrc* asSource(gpointer object)
{
    return reinterpret_cast<ZelkoDescriptorSrc*>(object);
}

GstStaticPadTemplate sourceTemplate = GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);

gboolean start(GstBaseSrc* base)
{
    ZelkoDescriptorSrc* self = asSource(base);
    GST_OBJECT_LOCK(self);
    const std::string uri = self->uri != nullptr ? self->uri : "";
    GST_OBJECT_UNLOCK(self);
    self->fd = zelko::mci::copyOf(uri);
    struct stat info {};
    if (self->fd >= 0 && ::fstat(self->fd, &info) != 0) {
        ::close(self->fd);
        self->fd = -1;
    }
    if (self->fd < 0) {
        GST_ELEMENT_ERROR(self, RESOURCE, NOT_FOUND, ("The media file is no longer open."),
                          ("%s names no descriptor", uri.c_str()));
        return FALSE;
    }
    self->size = static_cast<guint64>(info.st_size);
    return TRUE;
}

gboolean stop(GstBaseSrc* base)
{
    ZelkoDescriptorSrc* self = asSource(base);
    if (self->fd >= 0) {
        ::close(self->fd);
        self->fd = -1;
    }
    return TRUE;
}

gboolean getSize(GstBaseSrc* base, guint64* size)
{
    *size = asSource(base)->size;
    return TRUE;
}

gboolean isSeekable(GstBaseSrc*)
{
    return TRUE;
}

// Reads `length` bytes at `offset`, fewer only at the end of the file.
GstFlowReturn fill(GstBaseSrc* base, guint64 offset, guint length, GstBuffer* buffer)
{
    ZelkoDescriptorSrc* self = asSource(base);
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        return GST_FLOW_ERROR;
    }
    gsize done = 0;
    while (done < length) {
        const ssize_t count = ::pread(self->fd, map.data + done, length - done, static_cast<off_t>(offset + done));
        if (count > 0) {
            done += static_cast<gsize>(count);
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            gst_buffer_unmap(buffer, &map);
            GST_ELEMENT_ERROR(self, RESOURCE, READ, (nullptr),
                              ("pread at %" G_GUINT64_FORMAT ": %s", offset, std::strerror(error)));
            return GST_FLOW_ERROR;
        }
    }
    gst_buffer_unmap(buffer, &map);
    if (done == 0) {
        return GST_FLOW_EOS;
    }
    gst_buffer_resize(buffer, 0, static_cast<gssize>(done));
    GST_BUFFER_OFFSET(buffer) = offset;
    GST_BUFFER_OFFSET_END(buffer) = offset + done;
    return GST_FLOW_OK;
}

GstURIType uriType(GType)
{
    return GST_URI_SRC;
}

const gchar* const* uriProtocols(GType)
{
    static const gchar* const protocols[] = {"zelkofd", nullptr};
    return protocols;
}

gchar* getUri(GstURIHandler* handler)
{
    ZelkoDescriptorSrc* self = asSource(handler);
    GST_OBJECT_LOCK(self);
    gchar* uri = g_strdup(self->uri);
    GST_OBJECT_UNLOCK(self);
    return uri;
}

gboolean setUri(GstURIHandler* handler, const gchar* uri, GError** error)
{
    ZelkoDescriptorSrc* self = asSource(handler);
    if (GST_STATE(self) != GST_STATE_NULL && GST_STATE(self) != GST_STATE_READY) {
        g_set_error(error, GST_URI_ERROR, GST_URI_ERROR_BAD_STATE, "the URI cannot change while the source runs");
        return FALSE;
    }
    if (uri == nullptr || !g_str_has_prefix(uri, "zelkofd://")) {
        g_set_error(error, GST_URI_ERROR, GST_URI_ERROR_BAD_URI, "not a zelkofd:// URI");
        return FALSE;
    }
    GST_OBJECT_LOCK(self);
    g_free(self->uri);
    self->uri = g_strdup(uri);
    GST_OBJECT_UNLOCK(self);
    return TRUE;
}

void finalize(GObject* object)
{
    ZelkoDescriptorSrc* self = asSource(object);
    stop(GST_BASE_SRC(object));
    g_free(self->uri);
    G_OBJECT_CLASS(zelko_descriptor_src_parent_class)->finalize(object);
}

}  // namespace

static void zelko_descriptor_src_uri_handler_init(gpointer iface, gpointer)
{
    auto* handler = static_cast<GstURIHandlerInterface*>(iface);
    handler->get_type = uriType;
    handler->get_protocols = uriProtocols;
    handler->get_uri = getUri;
    handler->set_uri = setUri;
}

static void zelko_descriptor_src_class_init(ZelkoDescriptorSrcClass* klass)
{
    G_OBJECT_CLASS(klass)->finalize = finalize;
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &sourceTemplate);
    gst_element_class_set_static_metadata(element, "Zelko descriptor source", "Source/File",
                                          "Reads a media file through a descriptor handed to the engine",
                                          "Zelko Player");
    GstBaseSrcClass* base = GST_BASE_SRC_CLASS(klass);
    base->start = start;
    base->stop = stop;
    base->get_size = getSize;
    base->is_seekable = isSeekable;
    base->fill = fill;
}

static void zelko_descriptor_src_init(ZelkoDescriptorSrc* self)
{
    self->uri = nullptr;
    self->fd = -1;
    self->size = 0;
    gst_base_src_set_format(GST_BASE_SRC(self), GST_FORMAT_BYTES);
}

namespace zelko::mci {

void registerDescriptorSource()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gst_element_register(nullptr, "zelkofdsrc", GST_RANK_PRIMARY, zelko_descriptor_src_get_type())) {
            GST_CAT_ERROR(zelko_mci_debug, "zelkofdsrc could not be registered: no file will open");
        }
    });
}

}  // namespace zelko::mci
