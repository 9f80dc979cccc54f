// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/warm_up.h"

#include "platform/mci/avformat_library.h"
#include "platform/mci/log.h"
#include "platform/mci/sinks.h"

#include <gst/gst.h>
#include <pthread.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace zelko::mci {

namespace {

// The kinds the file dialog offers, as typefinding names them: MP3 (with or without a tag in
// front) and MP2, WAV, AU, AIFF, MIDI and RMI, MPEG and VOB, AVI, and MPEG video without a
// system layer.
constexpr const char* kOfferedKinds[] = {
    "application/x-id3",
    "application/x-apetag",
    "audio/mpeg, mpegversion=(int)1",
    "audio/x-wav",
    "audio/x-au",
    "audio/x-aiff",
    "audio/midi",
    "audio/riff-midi",
    "video/mpeg, systemstream=(boolean)true",
    "video/mpeg, systemstream=(boolean)false",
    "video/x-msvideo",
};

// The streams those kinds carry in the files people have: MPEG audio and video (MPEG-4 part 2
// in AVI too), AC-3 and LPCM in VOB, the compressed WAV, AU and AIFF-C codings, MIDI events,
// and the common AVI video codings. A demuxer's templates name many more (theora, siren, AMR,
// subtitles, ...); their decoders are loaded when a file asks for them, not by every start, where
// they cost memory for as long as the player runs.
const std::set<std::string> kCarriedStreams = {
    "audio/mpeg",     "video/mpeg",   "audio/x-ac3",   "audio/x-private1-ac3", "audio/x-lpcm", "audio/x-private1-lpcm",
    "audio/x-adpcm",  "audio/x-alaw", "audio/x-mulaw", "audio/ms-gsm",         "audio/x-gsm",  "audio/x-midi-event",
    "video/x-msmpeg", "video/x-divx", "video/x-xvid",  "image/jpeg",
};

// What every open builds around the decoders: playbin and its parts, the typefinders (their
// plugin), the outputs and the converters in front of them, the tempo filter.
constexpr const char* kPipelineParts[] = {
    "playbin",       "uridecodebin", "decodebin",  "playsink",     "filesrc",       "typefind",  "queue",
    "multiqueue",    "capsfilter",   "fakesink",   "audioconvert", "audioresample", "volume",    "scaletempo",
    "autoaudiosink", "videoconvert", "videoscale", "videobox",     "deinterlace",   "videoflip",
};

std::atomic<bool> started{false};

// Makes one element of the factory and lets it go: loads its plugin and readies its class.
void makeOne(const char* factoryName)
{
    adoptElement(gst_element_factory_make(factoryName, nullptr));
}

// The kind of element a factory makes, as decodebin chains them: demuxers, parsers and
// decoders; decodebin tries the highest-ranked factory of a kind first.
std::string kindOf(GstElementFactory* factory)
{
    const gchar* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
    for (const char* kind : {"Demuxer", "Parser", "Decoder", "Depayloader"}) {
        if (klass != nullptr && std::strstr(klass, kind) != nullptr) {
            return kind;
        }
    }
    return klass != nullptr ? klass : "";
}

// Loads the plugin of the factory and queues the carried streams it produces (raw audio and
// video end a chain; a decoder takes a stream whatever the fields its producer sets, so by name).
void load(GstElementFactory* factory, std::vector<std::string>& pending, std::set<std::string>& seen)
{
    const FeaturePtr loaded(gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory)));
    for (const GList* pad = gst_element_factory_get_static_pad_templates(factory); pad != nullptr; pad = pad->next) {
        auto* padTemplate = static_cast<GstStaticPadTemplate*>(pad->data);
        if (padTemplate->direction != GST_PAD_SRC) {
            continue;
        }
        const CapsPtr produced(gst_static_pad_template_get_caps(padTemplate));
        for (guint i = 0; i < gst_caps_get_size(produced.get()); ++i) {
            const GstStructure* structure = gst_caps_get_structure(produced.get(), i);
            std::string name = gst_structure_get_name(structure);
            if (kCarriedStreams.count(name) != 0 && seen.insert(name).second) {
                pending.push_back(std::move(name));
            }
        }
    }
}

// Loads the plugins that decodebin picks for a file of the offered kinds: for each stream a
// kind leads to, the first demuxer, parser and decoder that take it, down to raw audio and
// video. Lower-ranked alternatives stay unloaded; they cost memory and are seldom needed.
void loadDecodingPlugins()
{
    const FeatureListPtr candidates(
        g_list_sort(gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODABLE, GST_RANK_MARGINAL),
                    gst_plugin_feature_rank_compare_func));
    std::vector<std::string> pending(std::begin(kOfferedKinds), std::end(kOfferedKinds));
    std::set<std::string> seen(pending.begin(), pending.end());
    std::set<GstElementFactory*> loaded;
    while (!pending.empty()) {
        const CapsPtr caps(gst_caps_from_string(pending.back().c_str()));
        pending.pop_back();
        if (!caps) {
            continue;
        }
        const FeatureListPtr takers(gst_element_factory_list_filter(candidates.get(), caps.get(), GST_PAD_SINK, FALSE));
        std::set<std::string> kindsTaken;
        for (GList* item = takers.get(); item != nullptr; item = item->next) {
            auto* factory = GST_ELEMENT_FACTORY(item->data);
            if (kindsTaken.insert(kindOf(factory)).second && loaded.insert(factory).second) {
                load(factory, pending, seen);
            }
        }
    }
}

void warmUp()
{
    pthread_setname_np(pthread_self(), "warm-up");
    initGStreamer();
    for (const char* part : kPipelineParts) {
        makeOne(part);
    }
    loadDecodingPlugins();
    avformatLibrary();  // what reads the lengths of WAV, AIFF, AU and MPEG files
    // The probes open the outputs once (a connection to the sound server, to the X server);
    // the elements they leave are not needed.
    gst_element_set_state(makeAudioSink().get(), GST_STATE_NULL);
    if (const char* factory = videoSinkFactory(); factory != nullptr) {
        makeOne(factory);
    }
}

}  // namespace

WarmUp::~WarmUp()
{
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void WarmUp::start()
{
    if (started.exchange(true)) {
        return;
    }
    m_thread = std::thread(warmUp);
}

}  // namespace zelko::mci
