// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/device.h"

#include "platform/ascii.h"
#include "platform/mci/errors.h"
#include "platform/mci/log.h"
#include "platform/mci/pipeline_setup.h"
#include "platform/mci/track_tags.h"
#include "platform/time_limit.h"

#include <gst/pbutils/gstdiscoverer.h>
#include <gst/pbutils/missing-plugins.h>
#include <gst/video/video.h>

#include <cmath>
#include <cstring>
#include <utility>

namespace zelko::mci {

namespace {

constexpr GstClockTime kPrerollTimeoutNs = platform::timeLimit(5 * GST_SECOND);
constexpr GstClockTime kPrerollSliceNs = 100 * GST_MSECOND;
constexpr GstClockTime kDurationTimeoutNs = platform::timeLimit(300 * GST_MSECOND);
constexpr GstClockTime kDiscoverTimeoutNs = platform::timeLimit(3 * GST_SECOND);
constexpr GstClockTime kStreamingStopTimeoutNs = platform::timeLimit(1 * GST_SECOND);
constexpr size_t kMaxDescription = 127;
// Frames are counted at this rate where neither the file nor its caps give one.
constexpr double kUnknownFramesPerSecond = 25.0;
// GST_PLAY_FLAG_TEXT; playbin leaves the declaration of its flags to applications.
constexpr guint kPlayFlagText = 1U << 2;

// Runs on GStreamer's threads: keeps only what the caller's thread reads, so the bus never
// fills with tags and state changes between two commands; what it keeps changes the answers
// (see Device::busFd).
GstBusSyncReply keepUsefulMessages(GstBus*, GstMessage* message, gpointer)
{
    constexpr auto kKept = static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE |
                                                       GST_MESSAGE_DURATION_CHANGED);
    if ((GST_MESSAGE_TYPE(message) & kKept) != 0 || gst_is_missing_plugin_message(message)) {
        return GST_BUS_PASS;
    }
    // A dropped message is the handler's to release.
    gst_message_unref(message);
    return GST_BUS_DROP;
}

std::string cut(std::string text)
{
    if (text.size() > kMaxDescription) {
        text.resize(kMaxDescription);
    }
    return text;
}

bool mentionsMidi(const std::string& text)
{
    return platform::asciiLower(text).find("midi") != std::string::npos;
}

// The length of a file whose parser gives none while prerolled (MP3 and MP2 without a header
// that says it): the discoverer reads on until it knows. 0 when it cannot tell.
int64_t discoverLengthNs(const char* uri)
{
    GError* rawError = nullptr;
    std::unique_ptr<GstDiscoverer, GObjectUnref> discoverer(gst_discoverer_new(kDiscoverTimeoutNs, &rawError));
    GErrorPtr error(rawError);
    if (!discoverer) {
        return 0;
    }
    std::unique_ptr<GstDiscovererInfo, GObjectUnref> info(
        gst_discoverer_discover_uri(discoverer.get(), uri, &rawError));
    error.reset(rawError);
    if (!info) {
        return 0;
    }
    const GstClockTime duration = gst_discoverer_info_get_duration(info.get());
    return GST_CLOCK_TIME_IS_VALID(duration) ? static_cast<int64_t>(duration) : 0;
}

// What a parser in the pipeline makes of the file's size at the bit rate of the frames it has
// passed so far: MP3 and MP2 without a header that says their length, whose parser reports it by
// itself only once it has seen a second and a half of them. 0 when no parser can tell.
int64_t parserEstimateNs(GstBin* bin)
{
    int64_t estimateNs = 0;
    const IteratorPtr iterator(gst_bin_iterate_recurse(bin));
    GValue item = G_VALUE_INIT;
    while (estimateNs == 0 && gst_iterator_next(iterator.get(), &item) == GST_ITERATOR_OK) {
        GstElement* element = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* factory = gst_element_get_factory(element);
        const gchar* klass =
            factory != nullptr ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
        if (klass != nullptr && std::strstr(klass, "Parser") != nullptr) {
            PadPtr sink(gst_element_get_static_pad(element, "sink"));
            PadPtr source(gst_element_get_static_pad(element, "src"));
            gint64 bytes = 0;
            gint64 ns = 0;
            if (sink && source && gst_pad_peer_query_duration(sink.get(), GST_FORMAT_BYTES, &bytes) && bytes > 0 &&
                gst_pad_query_convert(source.get(), GST_FORMAT_BYTES, bytes, GST_FORMAT_TIME, &ns) && ns > 0) {
                estimateNs = ns;
            }
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    return estimateNs;
}

bool containsFactory(GstBin* bin, const char* factoryName)
{
    bool found = false;
    const IteratorPtr iterator(gst_bin_iterate_recurse(bin));
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(iterator.get(), &item) == GST_ITERATOR_OK) {
        GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
        found =
            factory != nullptr && g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), factoryName) == 0;
        g_value_reset(&item);
    }
    g_value_unset(&item);
    return found;
}

}  // namespace

uint32_t Device::open(const std::string& path, platform::OpenedFile file, std::uintptr_t parentWindow,
                      std::unique_ptr<Device>& device, ErrorDetail& detail, platform::TrackTags& tagsMet)
{
    switch (file.state) {
    case platform::FileState::Opened: break;
    case platform::FileState::Missing: return code::kFileNotFound;
    case platform::FileState::NotRegular:
        detail.text = "The file cannot be played: it is not a regular file.";
        return code::kInvalidFile;
    case platform::FileState::Unreadable:
        detail.text =
            cut("The file cannot be played: it cannot be read (" + std::string(std::strerror(file.error)) + ").");
        return code::kInvalidFile;
    }
    std::unique_ptr<Device> created(new Device);
    created->m_playbin = adoptElement(gst_element_factory_make("playbin", nullptr));
    if (!created->m_playbin) {
        detail.text = "The media engine cannot start: GStreamer's playbin element is not installed.";
        return code::kInternal;
    }
    GstElement* playbin = created->m_playbin.get();
    created->m_identity = platform::identityOf(file.fd.get());
    created->m_file = std::make_unique<DescriptorUri>(std::move(file.fd));
    created->m_bus.reset(gst_element_get_bus(playbin));
    gst_bus_set_sync_handler(created->m_bus.get(), keepUsefulMessages, nullptr, nullptr);

    created->m_parentWindow = parentWindow;
    created->m_video = makeVideoOutput(parentWindow);
    if (created->m_video.overlay) {
        created->m_parentWatch = WindowWatch::watch(parentWindow);
    }
    ElementPtr audioSink = makeAudioSink();
    ElementPtr audioFilter = makeAudioFilter();
    g_object_set(playbin, "uri", created->m_file->uri().c_str(), "video-sink", created->m_video.sink.get(),
                 "audio-sink", audioSink.get(), nullptr);
    // The window has no subtitle control: a file's subtitle track is never drawn over its picture.
    guint flags = 0;
    g_object_get(playbin, "flags", &flags, nullptr);
    g_object_set(playbin, "flags", flags & ~kPlayFlagText, nullptr);
    if (audioFilter) {
        g_object_set(playbin, "audio-filter", audioFilter.get(), nullptr);
    }
    created->m_range.attach(created->m_video.sink.get());
    created->m_range.attach(audioSink.get());
    created->m_audioSink = std::move(audioSink);
    created->m_facts = readMediaFacts(created->m_file->fd(), path);
    turnUpright(created->m_video, created->m_facts.orientation);
    setUpPipeline(playbin, created->m_facts);
    if (const uint32_t result = created->preroll(detail); result != 0) {
        // The tags entered the parser before the decoder was found missing; a file that failed
        // otherwise has no tags worth trusting.
        if (!detail.missingDecoder.empty()) {
            created->awaitStreamingStopped();
            tagsMet = tagsMetIn(playbin);
        }
        return result;
    }
    // Kept as the preroll met them: after a flushing seek a demuxer may send its whole-file
    // tags again without what it read from the header (asfdemux 1.22 sends only the container's
    // name), and the pads' sticky tags are then the new, poorer ones.
    created->m_tags = tagsMetIn(playbin);
    device = std::move(created);
    return code::kSuccess;
}

platform::TrackTags Device::tags() const
{
    return m_tags;
}

Device::~Device()
{
    if (m_playbin) {
        gst_element_set_state(m_playbin.get(), GST_STATE_NULL);
    }
    if (m_audioSink) {
        // Media without sound never took the output into the pipeline; it is still open.
        gst_element_set_state(m_audioSink.get(), GST_STATE_NULL);
    }
    if (m_bus) {
        // Queued messages hold references to the pipeline's elements; dropping them lets the
        // pipeline go.
        gst_bus_set_flushing(m_bus.get(), TRUE);
        gst_bus_set_sync_handler(m_bus.get(), nullptr, nullptr, nullptr);
    }
}

uint32_t Device::preroll(ErrorDetail& detail)
{
    const GstStateChangeReturn change = gst_element_set_state(m_playbin.get(), GST_STATE_PAUSED);
    bool ready = change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL;
    const GstClockTime deadline = g_get_monotonic_time() * GST_USECOND + kPrerollTimeoutNs;
    const auto types = static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR);
    while (change == GST_STATE_CHANGE_ASYNC && !ready && !m_failed && !m_soundLost) {
        const GstClockTime now = g_get_monotonic_time() * GST_USECOND;
        if (now >= deadline) {
            break;
        }
        // The pipeline's own state is the authority; the message only wakes the wait early.
        waitForMessage(types, std::min<GstClockTime>(deadline - now, kPrerollSliceNs));
        ready = gst_element_get_state(m_playbin.get(), nullptr, nullptr, 0) == GST_STATE_CHANGE_SUCCESS;
    }
    drainBus();
    if (m_soundLost && !m_silent) {
        // The output opened a moment ago and failed since: the file opens without sound.
        GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                            "the sound output failed while the file opened: "
                            "opening it again on a silent sink");
        m_soundLost = false;
        useSilentSink();
        return preroll(detail);
    }
    gint videoStreams = 0;
    gint audioStreams = 0;
    g_object_get(m_playbin.get(), "n-video", &videoStreams, "n-audio", &audioStreams, nullptr);
    if (ready && !m_failed && videoStreams + audioStreams > 0) {
        m_hasVideo = videoStreams > 0;
        m_hasAudio = audioStreams > 0;
        m_seekNeedsStop = containsFactory(GST_BIN(m_playbin.get()), "auparse");
        if (m_seekNeedsStop) {
            GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                                "seeks name the length: auparse takes a flushing seek without a stop as a stop at 0 "
                                "(found on GStreamer 1.22)");
        }
        readMediaInfo();
        if (m_lengthNs > 0) {
            alignWithFirstFrame();
            return code::kSuccess;
        }
        detail.text = "The file cannot be played: it is damaged or holds no media time.";
        return code::kInvalidFile;
    }
    if (!m_missing.empty()) {
        const std::string hint = m_missingMidi ? "MIDI needs FluidSynth and a GM SoundFont; " : "";
        detail = {cut("The file cannot be played: " + hint + "no decoder is installed for " + m_missing + "."),
                  m_missing};
    } else if (!m_error.empty()) {
        detail.text = cut("The file cannot be played: " + m_error);
    } else if (!ready) {
        GST_CAT_WARNING_OBJECT(zelko_mci_debug, m_playbin.get(), "not prerolled within %" GST_TIME_FORMAT,
                               GST_TIME_ARGS(kPrerollTimeoutNs));
        detail.text = "The file cannot be played: it did not become ready within 5 seconds.";
    } else {
        detail.text = "The file cannot be played: it holds no audio or video that can be decoded.";
    }
    return code::kInvalidFile;
}

void Device::readLength()
{
    gint64 duration = 0;
    if (!gst_element_query_duration(m_playbin.get(), GST_FORMAT_TIME, &duration)) {
        // Some demuxers (MIDI among them) know the length only a moment after preroll.
        waitForMessage(GST_MESSAGE_DURATION_CHANGED, kDurationTimeoutNs);
        if (!gst_element_query_duration(m_playbin.get(), GST_FORMAT_TIME, &duration)) {
            duration = discoverLengthNs(m_file->uri().c_str());
            GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                                "no length after preroll: the discoverer read on to %" GST_TIME_FORMAT,
                                GST_TIME_ARGS(duration));
        }
        if (duration <= 0) {
            // The discoverer gives its parser a tenth of a second of playing to see enough frames;
            // on a busy machine that is too short, and the file would not open for want of a length.
            duration = parserEstimateNs(GST_BIN(m_playbin.get()));
            GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                                "the discoverer found no length: the parser reckons %" GST_TIME_FORMAT
                                " from the frames it has passed",
                                GST_TIME_ARGS(duration));
        }
    }
    // GStreamer estimates some lengths from a byte rate or a clock reference; the file's own
    // header or timestamps say them exactly. A file in which GStreamer finds no time at all
    // (one cut short before its first picture) is not taken on its header's word.
    if (duration > 0 && m_facts.lengthNs > 0) {
        if (duration != m_facts.lengthNs) {
            GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                                "length %" GST_TIME_FORMAT " from the file's own header or timestamps in place of "
                                "GStreamer's estimate %" GST_TIME_FORMAT,
                                GST_TIME_ARGS(m_facts.lengthNs), GST_TIME_ARGS(duration));
        }
        duration = m_facts.lengthNs;
    } else if (duration > 0) {
        const int64_t bounded = boundedEstimateNs(duration, m_facts);
        if (bounded != duration) {
            GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                                "length cut from %" GST_TIME_FORMAT " to %" GST_TIME_FORMAT
                                ": the file stores %" G_GINT64_FORMAT " of its %" G_GINT64_FORMAT " bytes",
                                GST_TIME_ARGS(duration), GST_TIME_ARGS(bounded), m_facts.storedBytes,
                                m_facts.fileBytes);
        }
        duration = bounded;
    }
    m_lengthNs = m_knownLengthNs = duration > 0 ? duration : 0;
}

void Device::readMediaInfo()
{
    readLength();
    if (!m_hasVideo) {
        return;
    }
    // The decoder's own caps: the stored picture, before the output scales it to its window.
    GstPad* rawPad = nullptr;
    g_signal_emit_by_name(m_playbin.get(), "get-video-pad", 0, &rawPad);
    PadPtr pad(rawPad);
    CapsPtr caps(pad ? gst_pad_get_current_caps(pad.get()) : nullptr);
    GstVideoInfo info;
    if (!caps || !gst_video_info_from_caps(&info, caps.get())) {
        m_framesPerSecond = m_facts.framesPerSecond > 0 ? m_facts.framesPerSecond : kUnknownFramesPerSecond;
        GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                            "the video's format is not known after preroll: %.3f frames a second and no size",
                            m_framesPerSecond);
        return;
    }
    if (m_facts.framesPerSecond > 0) {
        m_framesPerSecond = m_facts.framesPerSecond;
        if (info.fps_d <= 0 || std::abs(m_framesPerSecond - static_cast<double>(info.fps_n) / info.fps_d) > 1e-3) {
            GST_CAT_INFO_OBJECT(zelko_mci_debug, m_playbin.get(),
                                "%.3f frames a second from the file's sample table in place of GStreamer's %d/%d, "
                                "guessed from a few frames",
                                m_framesPerSecond, info.fps_n, info.fps_d);
        }
    } else if (info.fps_n > 0 && info.fps_d > 0) {
        m_framesPerSecond = static_cast<double>(info.fps_n) / info.fps_d;
    } else {
        m_framesPerSecond = kUnknownFramesPerSecond;
    }
    m_displayWidth = info.width;
    m_displayHeight = info.height;
    if (info.par_n > 0 && info.par_d > 0 && info.par_n != info.par_d) {
        if (info.par_n > info.par_d) {
            m_displayWidth = std::llround(static_cast<double>(info.width) * info.par_n / info.par_d);
        } else {
            m_displayHeight = std::llround(static_cast<double>(info.height) * info.par_d / info.par_n);
        }
    }
    // Shown as the output turns it: by the file's own word, else by the stream's tag.
    Orientation orientation = m_facts.orientation;
    if (orientation == Orientation::Unknown) {
        GstTagList* rawTags = nullptr;
        g_signal_emit_by_name(m_playbin.get(), "get-video-tags", 0, &rawTags);
        const TagListPtr tags(rawTags);
        orientation = orientationOfTags(tags.get());
    }
    m_turnedAcross = turnsAcross(orientation);
    if (m_turnedAcross) {
        std::swap(m_displayWidth, m_displayHeight);
    }
    m_destination = {0, 0, m_displayWidth, m_displayHeight};
    placeVideo();
}

void Device::drainBus()
{
    if (m_parentWatch) {
        followParent();
    }
    while (GstMessage* raw = gst_bus_pop(m_bus.get())) {
        MessagePtr message(raw);
        handleMessage(message.get());
    }
    // While the file opens (no length yet), the open itself starts again without sound.
    if (m_soundLost && m_lengthNs > 0) {
        continueWithoutSound();
    }
    // A fit set while the picture streamed waits for the next picture; when the stream ended or
    // was paused first, none comes, and the picture is drawn again through the fit here.
    if (m_video.fitter && m_wanted != Mode::Playing && m_video.fitter->settle()) {
        redraw();
    }
}

bool Device::waitForMessage(GstMessageType types, GstClockTime timeoutNs)
{
    const GstClockTime deadline = g_get_monotonic_time() * GST_USECOND + timeoutNs;
    for (;;) {
        const GstClockTime now = g_get_monotonic_time() * GST_USECOND;
        if (now >= deadline) {
            return false;
        }
        MessagePtr message(gst_bus_timed_pop(m_bus.get(), deadline - now));
        if (!message) {
            return false;
        }
        handleMessage(message.get());
        if ((GST_MESSAGE_TYPE(message.get()) & types) != 0) {
            return true;
        }
    }
}

// The decoding bin tells of a missing decoder from the streaming thread before that thread
// pushes anything: the demuxer's tags are stored on its pad only with its first push, which
// finds no decoder and ends the thread with an error of its own ("Internal data stream error").
// Waiting for that second error, not for a while, makes the tags read after it complete.
void Device::awaitStreamingStopped()
{
    const GstClockTime deadline = g_get_monotonic_time() * GST_USECOND + kStreamingStopTimeoutNs;
    while (m_errors < 2) {
        const GstClockTime now = g_get_monotonic_time() * GST_USECOND;
        if (now >= deadline || !waitForMessage(GST_MESSAGE_ERROR, deadline - now)) {
            return;
        }
    }
}

void Device::handleMessage(GstMessage* message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        if (m_wanted == Mode::Playing) {
            if (m_stopNs < 0) {
                learnEnd();
            }
            endPlayback(m_stopNs >= 0 ? m_stopNs : m_lengthNs);
        }
        break;
    case GST_MESSAGE_ERROR: {
        GError* rawError = nullptr;
        gchar* rawDebug = nullptr;
        gst_message_parse_error(message, &rawError, &rawDebug);
        GErrorPtr error(rawError);
        GCharPtr debug(rawDebug);
        // GStreamer's debug string names the element's own reason; the user's text does not.
        GST_CAT_WARNING_OBJECT(zelko_mci_debug, GST_MESSAGE_SRC(message), "error: %s (%s)",
                               error ? error->message : "unknown", debug ? debug.get() : "no debug detail");
        // A sound server that ends takes its sink with it; that is no fault of the media, which
        // plays on without sound. Its further errors say the same.
        if (!m_silent && isInside(GST_MESSAGE_SRC(message), m_audioSink.get())) {
            m_soundLost = true;
            break;
        }
        if (m_redrawSeeked) {
            break;
        }
        m_failed = true;
        ++m_errors;
        m_error = error ? error->message : "an unknown error";
        if (m_wanted == Mode::Playing) {
            m_heldPositionNs = m_lastPositionNs;
            m_wanted = Mode::Stopped;
            setState(GST_STATE_PAUSED);
        }
        break;
    }
    default:
        if (gst_is_missing_plugin_message(message)) {
            GCharPtr description(gst_missing_plugin_message_get_description(message));
            GCharPtr installerDetail(gst_missing_plugin_message_get_installer_detail(message));
            m_missing = description ? description.get() : "a part of the media";
            m_missingMidi = mentionsMidi(m_missing) || (installerDetail && mentionsMidi(installerDetail.get()));
        }
        break;
    }
}

void Device::endPlayback(int64_t heldNs)
{
    m_ended = true;
    m_heldPositionNs = std::min(heldNs, m_lengthNs);
    m_wanted = Mode::Stopped;
    setState(GST_STATE_PAUSED);
}

bool Device::setState(GstState state)
{
    return gst_element_set_state(m_playbin.get(), state) != GST_STATE_CHANGE_FAILURE;
}

Mode Device::mode() const
{
    return m_wanted;
}

int Device::busFd() const
{
    GPollFD poll{};
    gst_bus_get_pollfd(m_bus.get(), &poll);
    return poll.fd;
}

int Device::windowFd() const
{
    return m_parentWatch ? m_parentWatch->fd() : -1;
}

}  // namespace zelko::mci
