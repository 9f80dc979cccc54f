// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/media_facts.h"

#include "platform/mci/avformat_library.h"
#include "platform/mci/log.h"
#include "platform/time_limit.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <string_view>
#include <vector>

namespace zelko::mci {

namespace {

constexpr int64_t kNsPerSecond = 1'000'000'000;
// A block codec's block is at most this many samples long; a larger count is a broken header.
constexpr int kMaxSamplesPerBlock = 1 << 16;
// How much of the file's start libavformat looks at to name its container.
constexpr size_t kIdentifyBytes = 32 * 1024;
// The bounds of a header read: a file whose facts take more (a WAV padded with gigabytes of
// zeros after its data, an MPEG stream that is zeros after its first packets) is measured by
// GStreamer instead. The probe and analysis bounds are libavformat's defaults, said here.
constexpr int64_t kMaxReadBytes = 32 * 1024 * 1024;
constexpr int64_t kProbeBytes = 5'000'000;
constexpr int64_t kAnalyseMicroseconds = 5'000'000;
constexpr std::chrono::milliseconds kReadDeadline = platform::timeLimit(std::chrono::milliseconds(1000));
// A file whose storage holds less than a quarter of its size is mostly holes.
constexpr int64_t kMostlyHoles = 4;
// How many stretches of data a sparse file is followed through before it is taken as whole.
constexpr int kMaxExtents = 256;

// What a header read may still spend; libavformat asks between its reads.
struct ReadBudget {
    std::chrono::steady_clock::time_point deadline;
    const AVFormatContext* context = nullptr;
    bool spent = false;  // the read was stopped for running out of it
};

int budgetSpent(void* opaque)
{
    auto* budget = static_cast<ReadBudget*>(opaque);
    const AVIOContext* io = budget->context->pb;
    budget->spent = budget->spent || std::chrono::steady_clock::now() > budget->deadline ||
                    (io != nullptr && io->bytes_read > kMaxReadBytes);
    return budget->spent ? 1 : 0;
}

// A header read stopped for its bounds leaves the file to GStreamer's own measure.
void logSpentBudget(const ReadBudget& budget, const std::string& path)
{
    if (budget.spent) {
        GST_CAT_INFO(zelko_mci_debug, "the header read of %s ran past %lld ms or %lld bytes: GStreamer measures it",
                     path.c_str(), static_cast<long long>(kReadDeadline.count()),
                     static_cast<long long>(kMaxReadBytes));
    }
}

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

// The bytes the file's storage holds: less than its size when it has holes (a sparse file,
// as `truncate` leaves), all of it where the file system cannot tell.
int64_t storedBytes(const std::string& path, int64_t size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return size;
    }
    int64_t stored = 0;
    off_t data = ::lseek(fd, 0, SEEK_DATA);
    for (int extent = 0; data >= 0 && data < size; ++extent) {
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole < 0 || extent == kMaxExtents) {
            stored = size;
            break;
        }
        stored += hole - data;
        data = ::lseek(fd, hole, SEEK_DATA);
    }
    ::close(fd);
    return stored;
}

MediaFacts readMediaFacts(const std::string& path)
{
    MediaFacts facts;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && info.st_size > 0) {
        facts.fileBytes = info.st_size;
        facts.storedBytes = storedBytes(path, info.st_size);
    }
    if (avformatLibrary() == nullptr) {
        GST_CAT_WARNING(zelko_mci_debug, "libavformat does not load: GStreamer alone measures every file");
        return facts;
    }
    const AVInputFormat* format = identify(path);
    AVFormatContext* raw = format != nullptr ? avformatLibrary()->allocContext() : nullptr;
    if (raw == nullptr) {
        return facts;
    }
    // Named before the read, so a WAV whose read runs out of budget keeps its header's length.
    facts.container = containerOf(format->name);
    ReadBudget budget{std::chrono::steady_clock::now() + kReadDeadline, raw};
    raw->interrupt_callback = {budgetSpent, &budget};
    raw->probesize = kProbeBytes;
    raw->max_analyze_duration = kAnalyseMicroseconds;
    // On failure libavformat frees the context itself.
    if (avformatLibrary()->openInput(&raw, path.c_str(), format, nullptr) != 0) {
        logSpentBudget(budget, path);
        return facts;
    }
    InputPtr context(raw);
    switch (facts.container) {
    case Container::Wave:
    case Container::Aiff:
    case Container::Au: readAudioHeader(*context, facts); break;
    case Container::MpegProgram: readProgramTimes(*context, facts); break;
    case Container::Other: break;
    }
    logSpentBudget(budget, path);
    return facts;
}

int64_t boundedEstimateNs(int64_t estimateNs, const MediaFacts& facts)
{
    // A header's length is the header's, whatever follows it; only a length reckoned from the
    // file's size at a byte rate grows with holes.
    const bool declared =
        facts.container == Container::Wave || facts.container == Container::Aiff || facts.container == Container::Au;
    if (declared || facts.fileBytes <= 0 || facts.storedBytes * kMostlyHoles >= facts.fileBytes) {
        return estimateNs;
    }
    return static_cast<int64_t>(static_cast<double>(estimateNs) * facts.storedBytes / facts.fileBytes);
}

}  // namespace zelko::mci
