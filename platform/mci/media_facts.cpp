// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/media_facts.h"

#include "platform/mci/adts_length.h"
#include "platform/mci/avformat_library.h"
#include "platform/mci/log.h"
#include "platform/time_limit.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zelko::mci {

namespace {

constexpr int64_t kNsPerSecond = 1'000'000'000;
// A block codec's block is at most this many samples long; a larger count is a broken header.
constexpr int kMaxSamplesPerBlock = 1 << 16;
// How much of the file's start libavformat looks at to name its container.
constexpr size_t kIdentifyBytes = 32 * 1024;
// The buffer libavformat reads the descriptor through.
constexpr int kIoBufferBytes = 32 * 1024;
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

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformatLibrary()->closeInput(&context); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;

// libavformat reads the file through its descriptor, at offsets of its own keeping (the
// descriptor's own offset is never used, so other readers of it are not disturbed), within the
// header read's bounds: each read checks them, and libavformat asks between its steps too.
struct DescriptorInput {
    int fd = -1;
    int64_t size = 0;
    int64_t position = 0;
    int64_t bytesRead = 0;
    std::chrono::steady_clock::time_point deadline;
    bool ranOut = false;  // the read was stopped for its bounds

    bool spent()
    {
        ranOut = ranOut || bytesRead > kMaxReadBytes || std::chrono::steady_clock::now() > deadline;
        return ranOut;
    }
};

int budgetSpent(void* opaque)
{
    return static_cast<DescriptorInput*>(opaque)->spent() ? 1 : 0;
}

// A header read stopped for its bounds leaves the file to GStreamer's own measure.
void logRanOut(const DescriptorInput& input, const std::string& name)
{
    if (input.ranOut) {
        GST_CAT_INFO(zelko_mci_debug, "the header read of %s ran past %lld ms or %lld bytes: GStreamer measures it",
                     name.c_str(), static_cast<long long>(kReadDeadline.count()),
                     static_cast<long long>(kMaxReadBytes));
    }
}

int readInput(void* opaque, uint8_t* buffer, int size)
{
    auto* input = static_cast<DescriptorInput*>(opaque);
    if (input->spent()) {
        return AVERROR_EXIT;
    }
    for (;;) {
        const ssize_t count = ::pread(input->fd, buffer, static_cast<size_t>(size), input->position);
        if (count > 0) {
            input->position += count;
            input->bytesRead += count;
            return static_cast<int>(count);
        }
        if (count == 0) {
            return AVERROR_EOF;
        }
        if (errno != EINTR) {
            return AVERROR(errno);
        }
    }
}

int64_t seekInput(void* opaque, int64_t offset, int whence)
{
    auto* input = static_cast<DescriptorInput*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return input->size;
    case SEEK_SET: break;
    case SEEK_CUR: offset += input->position; break;
    case SEEK_END: offset += input->size; break;
    default: return AVERROR(EINVAL);
    }
    if (offset < 0) {
        return AVERROR(EINVAL);
    }
    input->position = offset;
    return offset;
}

struct IoContextFree {
    void operator()(AVIOContext* io) const
    {
        avformatLibrary()->freep(static_cast<void*>(&io->buffer));
        avformatLibrary()->freeIoContext(&io);
    }
};
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextFree>;

IoContextPtr ioContextFor(DescriptorInput& input)
{
    auto* buffer = static_cast<unsigned char*>(avformatLibrary()->malloc(kIoBufferBytes));
    if (buffer == nullptr) {
        return nullptr;
    }
    AVIOContext* io =
        avformatLibrary()->allocIoContext(buffer, kIoBufferBytes, 0, &input, readInput, nullptr, seekInput);
    if (io == nullptr) {
        avformatLibrary()->freep(static_cast<void*>(&buffer));
    }
    return IoContextPtr(io);
}

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
    // libavformat's one demuxer for MP4, M4A, MOV, 3GP and their kin.
    if (demuxer == "mov,mp4,m4a,3gp,3g2,mj2") {
        return Container::IsoMedia;
    }
    if (demuxer == "aac") {
        return Container::Adts;
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

const AVStream* firstPicture(const AVFormatContext& context)
{
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        const AVStream* stream = context.streams[i];
        // A cover picture comes as a video stream of one frame.
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0) {
            return stream;
        }
    }
    return nullptr;
}

// The turn a track matrix makes, from the signs of its 2x2 part (a b / c d, 16.16 fixed, as
// stored; a point x, y goes to a x + c y, b x + d y with y downwards). A matrix that also
// scales keeps its signs; one that turns by other angles is left to GStreamer.
Orientation orientationOf(const int32_t* matrix)
{
    const auto sign = [](int32_t value) { return (value > 0) - (value < 0); };
    const int a = sign(matrix[0]);
    const int b = sign(matrix[1]);
    const int c = sign(matrix[3]);
    const int d = sign(matrix[4]);
    if (b == 0 && c == 0 && a != 0 && d != 0) {
        if (a > 0) {
            return d > 0 ? Orientation::Upright : Orientation::MirroredTopBottom;
        }
        return d > 0 ? Orientation::MirroredLeftRight : Orientation::Turned180;
    }
    if (a == 0 && d == 0 && b != 0 && c != 0) {
        if (b > 0) {
            return c < 0 ? Orientation::Clockwise90 : Orientation::Transposed;
        }
        return c > 0 ? Orientation::Counterclockwise90 : Orientation::AntiTransposed;
    }
    return Orientation::Unknown;
}

// ISO media: the first video track's matrix and the frame rate its sample table gives, both
// read with the header (libavformat keeps a matrix only when it is not the identity).
void readIsoFacts(const AVFormatContext& context, MediaFacts& facts)
{
    const AVStream* stream = firstPicture(context);
    if (stream == nullptr) {
        return;
    }
    if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0) {
        facts.framesPerSecond = static_cast<double>(stream->avg_frame_rate.num) / stream->avg_frame_rate.den;
    }
    size_t size = 0;
    const uint8_t* matrix = avformatLibrary()->streamSideData(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (matrix == nullptr) {
        facts.orientation = Orientation::Upright;
    } else if (size >= 9 * sizeof(int32_t)) {
        int32_t values[9];
        std::memcpy(values, matrix, sizeof values);
        facts.orientation = orientationOf(values);
    }
}

// libavformat's name for the container of the file (`name` for its extension), when it is sure
// enough and the container is one whose length the engine reads itself; otherwise null. Asked
// on the file's first bytes, so that other files are not opened by libavformat at all (it would
// tell stderr about every file it can only guess at).
const AVInputFormat* identify(int fd, const std::string& name)
{
    std::vector<uint8_t> head(kIdentifyBytes + AVPROBE_PADDING_SIZE, 0);
    ssize_t size = 0;
    do {
        size = ::pread(fd, head.data(), kIdentifyBytes, 0);
    } while (size < 0 && errno == EINTR);
    if (size <= 0) {
        return nullptr;
    }
    AVProbeData probe{name.c_str(), head.data(), static_cast<int>(size), nullptr};
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
int64_t storedBytes(int fd, int64_t size)
{
    int64_t stored = 0;
    off_t data = ::lseek(fd, 0, SEEK_DATA);
    for (int extent = 0; data >= 0 && data < size; ++extent) {
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole < 0 || extent == kMaxExtents) {
            return size;
        }
        stored += hole - data;
        data = ::lseek(fd, hole, SEEK_DATA);
    }
    return stored;
}

MediaFacts readMediaFacts(int fd, const std::string& name)
{
    MediaFacts facts;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        facts.fileBytes = info.st_size;
        facts.storedBytes = storedBytes(fd, info.st_size);
    }
    if (avformatLibrary() == nullptr) {
        GST_CAT_WARNING(zelko_mci_debug, "libavformat does not load: GStreamer alone measures every file");
        return facts;
    }
    const AVInputFormat* format = identify(fd, name);
    if (format == nullptr) {
        return facts;
    }
    // Named before the read, so a WAV whose read runs out of budget keeps its header's length.
    facts.container = containerOf(format->name);
    const auto deadline = std::chrono::steady_clock::now() + kReadDeadline;
    if (facts.container == Container::Adts) {
        // libavformat too reckons raw AAC's length from a byte rate; the frames say it.
        facts.lengthNs = adtsLengthNs(fd, kMaxReadBytes, deadline);
        return facts;
    }
    DescriptorInput input{fd, facts.fileBytes, 0, 0, deadline};
    IoContextPtr io = ioContextFor(input);
    AVFormatContext* raw = io != nullptr ? avformatLibrary()->allocContext() : nullptr;
    if (raw == nullptr) {
        return facts;
    }
    raw->interrupt_callback = {budgetSpent, &input};
    raw->probesize = kProbeBytes;
    raw->max_analyze_duration = kAnalyseMicroseconds;
    raw->pb = io.get();
    // On failure libavformat frees the context itself; the reader over the descriptor stays ours.
    if (avformatLibrary()->openInput(&raw, name.c_str(), format, nullptr) != 0) {
        logRanOut(input, name);
        return facts;
    }
    InputPtr context(raw);
    switch (facts.container) {
    case Container::Wave:
    case Container::Aiff:
    case Container::Au: readAudioHeader(*context, facts); break;
    case Container::MpegProgram: readProgramTimes(*context, facts); break;
    case Container::IsoMedia: readIsoFacts(*context, facts); break;
    case Container::Adts:
    case Container::Other: break;
    }
    logRanOut(input, name);
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
