// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/adts_length.h"

#include <array>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace zelko::mci {

namespace {

constexpr int64_t kNsPerSecond = 1'000'000'000;
constexpr int kHeaderBytes = 7;
constexpr int kSamplesPerBlock = 1024;
// The sampling rates an ADTS header indexes (ISO/IEC 14496-3, 1.6.3.4).
constexpr std::array<int64_t, 13> kRates = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                            22050, 16000, 12000, 11025, 8000,  7350};
// How many frames are counted between two looks at the clock.
constexpr int kFramesPerLook = 4096;

bool readAt(int fd, int64_t offset, unsigned char* bytes, size_t count)
{
    return ::pread(fd, bytes, count, offset) == static_cast<ssize_t>(count);
}

// Where the frames start: after an ID3v2 tag, whose size is in 7-bit bytes, a footer adding 10.
int64_t firstFrame(int fd)
{
    unsigned char tag[10] = {};
    if (!readAt(fd, 0, tag, sizeof tag) || std::memcmp(tag, "ID3", 3) != 0) {
        return 0;
    }
    const int64_t size = (int64_t(tag[6] & 0x7f) << 21) | (int64_t(tag[7] & 0x7f) << 14) |
                         (int64_t(tag[8] & 0x7f) << 7) | int64_t(tag[9] & 0x7f);
    return 10 + size + ((tag[5] & 0x10) != 0 ? 10 : 0);
}

// What may follow the last frame: an ID3v1, APE, Lyrics3 or trailing ID3v2 tag.
bool isTrailingTag(int fd, int64_t offset)
{
    unsigned char head[8] = {};
    const ssize_t got = ::pread(fd, head, sizeof head, offset);
    const auto startsWith = [&](const char* text) {
        const size_t length = std::strlen(text);
        return got >= static_cast<ssize_t>(length) && std::memcmp(head, text, length) == 0;
    };
    return startsWith("TAG") || startsWith("APETAGEX") || startsWith("ID3") || startsWith("LYRICS");
}

}  // namespace

int64_t adtsLengthNs(int fd, int64_t maxBytes, std::chrono::steady_clock::time_point deadline)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return 0;
    }
    const int64_t size = info.st_size;
    int64_t rate = 0;
    int64_t samples = 0;
    int64_t offset = firstFrame(fd);
    for (int frames = 1; offset + kHeaderBytes <= size; ++frames) {
        unsigned char header[kHeaderBytes];
        // A 12-bit sync word of ones and the layer bits at 0.
        if (!readAt(fd, offset, header, sizeof header) || header[0] != 0xff || (header[1] & 0xf6) != 0xf0) {
            break;
        }
        const size_t rateIndex = (header[2] >> 2) & 0x0f;
        const int64_t frameBytes = (int64_t(header[3] & 0x03) << 11) | (int64_t(header[4]) << 3) | (header[5] >> 5);
        if (rateIndex >= kRates.size() || frameBytes < kHeaderBytes || (rate != 0 && kRates[rateIndex] != rate)) {
            return 0;
        }
        if (offset + frameBytes > size) {
            break;  // cut short: not the whole file
        }
        rate = kRates[rateIndex];
        samples += ((header[6] & 0x03) + 1) * kSamplesPerBlock;
        offset += frameBytes;
        if (offset > maxBytes || (frames % kFramesPerLook == 0 && std::chrono::steady_clock::now() > deadline)) {
            return 0;
        }
    }
    // Frames to the end, or to a tag: anything else is not a file this count describes.
    if (rate == 0 || (offset < size && !isTrailingTag(fd, offset))) {
        return 0;
    }
    return samples * kNsPerSecond / rate;
}

}  // namespace zelko::mci
