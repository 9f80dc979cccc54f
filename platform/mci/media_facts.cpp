#include "platform/mci/media_facts.h"

#include "platform/mci/avformat_library.h"

#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace zelko::mci {

namespace {

constexpr int64_t kNsPerSecond = 1'000'000'000;
// A block codec's block is at most this many samples long; a larger count is a broken header.
constexpr int kMaxSamplesPerBlock = 1 << 16;
// How much of the file's start libavformat looks at to name its container.
constexpr size_t kIdentifyBytes = 32 * 1024;

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformatLibrary()->closeInput(&context); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;

Container containerOf(std::string_view demuxer)
{
    if (demuxer == "wav") {
        return Container::Wave;
    }
    if (demuxer == "aiff") {
        return Container::Aiff;
    }
    if (demuxer == "au") {
        return Container::Au;
    }
    // libavformat's MPEG-PS demuxer, which reads VOB too; "mpegvideo" (no system layer) is not it.
    if (demuxer == "mpeg") {
        return Container::MpegProgram;
    }
    return Container::Other;
}

AudioCoding codingOf(AVCodecID codec)
{
    switch (codec) {
    case AV_CODEC_ID_ADPCM_IMA_WAV: return AudioCoding::ImaAdpcm;
    case AV_CODEC_ID_ADPCM_MS: return AudioCoding::MsAdpcm;
    case AV_CODEC_ID_GSM_MS: return AudioCoding::Gsm;
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_S8:
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S16BE:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S24BE:
    case AV_CODEC_ID_PCM_S32LE:
    case AV_CODEC_ID_PCM_S32BE:
    case AV_CODEC_ID_PCM_F32LE:
    case AV_CODEC_ID_PCM_F32BE:
    case AV_CODEC_ID_PCM_F64LE:
    case AV_CODEC_ID_PCM_F64BE:
    case AV_CODEC_ID_PCM_ALAW:
    case AV_CODEC_ID_PCM_MULAW: return AudioCoding::Pcm;
    default: return AudioCoding::Other;
    }
}

// The codings GStreamer's aiffparse reads: big- and little-endian integer PCM and float.
bool aiffparseReads(AVCodecID codec)
{
    switch (codec) {
    case AV_CODEC_ID_PCM_S8:
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_S16BE:
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S24BE:
    case AV_CODEC_ID_PCM_S32BE:
    case AV_CODEC_ID_PCM_F32BE:
    case AV_CODEC_ID_PCM_F64BE: return true;
    default: return false;
    }
}

int64_t toNs(int64_t value, AVRational timeBase)
{
    return avformatLibrary()->rescaleQ(value, timeBase, AVRational{1, static_cast<int>(kNsPerSecond)});
}

const AVStream* firstAudio(const AVFormatContext& context)
{
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        if (context.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            return context.streams[i];
        }
    }
    return nullptr;
}

// WAV, AIFF and AU: the sample count of the header (the `fact` chunk of compressed WAV, the
// frame count of AIFF's COMM chunk, the data size of the others) and the audio's coding.
void readAudioHeader(const AVFormatContext& context, MediaFacts& facts)
{
    const AVStream* stream = firstAudio(context);
    if (stream == nullptr) {
        return;
    }
    const AVCodecParameters& codec = *stream->codecpar;
    facts.coding = codingOf(codec.codec_id);
    facts.aiffNeedsLibav = facts.container == Container::Aiff && !aiffparseReads(codec.codec_id);
    facts.sampleRate = codec.sample_rate;
    facts.channels = codec.ch_layout.nb_channels;
    facts.blockAlign = codec.block_align;
    facts.samplesPerBlock = samplesPerBlock(facts.coding, facts.blockAlign, facts.channels);
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        facts.lengthNs = toNs(stream->duration, stream->time_base);
    }
}

// MPEG program streams: libavformat reads the presentation times at the start and the end of
// the file; a length it could only estimate from the bit rate is not taken.
void readProgramTimes(AVFormatContext& context, MediaFacts& facts)
{
    if (avformatLibrary()->findStreamInfo(&context, nullptr) < 0 ||
        context.duration_estimation_method != AVFMT_DURATION_FROM_PTS || context.duration == AV_NOPTS_VALUE ||
        context.duration <= 0) {
        return;
    }
    constexpr AVRational kMicroseconds{1, AV_TIME_BASE};
    facts.lengthNs = toNs(context.duration, kMicroseconds);
    if (context.start_time != AV_NOPTS_VALUE) {
        facts.firstPtsNs = toNs(context.start_time, kMicroseconds);
    }
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// libavformat's name for the container of the file at `path`, when it is sure enough and the
// container is one whose length the engine reads itself; otherwise null. Asked on the file's
// first bytes, so that other files are not opened by libavformat at all (it would tell stderr
// about every file it can only guess at).
const AVInputFormat* identify(const std::string& path)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return nullptr;
    }
    std::vector<uint8_t> head(kIdentifyBytes + AVPROBE_PADDING_SIZE, 0);
    const size_t size = std::fread(head.data(), 1, kIdentifyBytes, file.get());
    AVProbeData probe{path.c_str(), head.data(), static_cast<int>(size), nullptr};
    int score = 0;
    const AVInputFormat* format = avformatLibrary()->probeInputFormat(&probe, 1, &score);
    if (format == nullptr || score < AVPROBE_SCORE_RETRY) {
        return nullptr;
    }
    return containerOf(format->name) != Container::Other ? format : nullptr;
}

}  // namespace

int samplesPerBlock(AudioCoding coding, int blockAlign, int channels)
{
    if (blockAlign <= 0 || channels <= 0) {
        return 0;
    }
    int samples = 0;
    switch (coding) {
    case AudioCoding::ImaAdpcm:
        // Per channel a 4-byte header holding the first sample, then two 4-bit samples a byte.
        samples = blockAlign > 4 * channels ? (blockAlign - 4 * channels) * 2 / channels + 1 : 0;
        break;
    case AudioCoding::MsAdpcm:
        // Per channel a 7-byte header holding two samples, then two 4-bit samples a byte.
        samples = blockAlign > 7 * channels ? (blockAlign - 7 * channels) * 2 / channels + 2 : 0;
        break;
    case AudioCoding::Gsm:
        // Microsoft's GSM packs two 160-sample frames into 65 bytes.
        samples = blockAlign % 65 == 0 ? blockAlign / 65 * 320 : 0;
        break;
    default: break;
    }
    return samples <= kMaxSamplesPerBlock ? samples : 0;
}

MediaFacts readMediaFacts(const std::string& path)
{
    MediaFacts facts;
    if (avformatLibrary() == nullptr) {
        return facts;
    }
    const AVInputFormat* format = identify(path);
    AVFormatContext* raw = nullptr;
    if (format == nullptr || avformatLibrary()->openInput(&raw, path.c_str(), format, nullptr) != 0) {
        return facts;
    }
    InputPtr context(raw);
    facts.container = containerOf(context->iformat->name);
    switch (facts.container) {
    case Container::Wave:
    case Container::Aiff:
    case Container::Au: readAudioHeader(*context, facts); break;
    case Container::MpegProgram: readProgramTimes(*context, facts); break;
    case Container::Other: break;
    }
    return facts;
}

}  // namespace zelko::mci
