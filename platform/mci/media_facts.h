// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zelko::mci {

// The containers whose facts the engine takes from the file itself rather than from GStreamer,
// which estimates some lengths from a byte rate or a clock reference (WAV, AIFF, AU, MPEG
// program streams, raw AAC) and reads only part of ISO media's picture facts.
enum class Container { Other, Wave, Aiff, Au, MpegProgram, IsoMedia, Adts };

// How a stored picture is turned to show upright. ISO media (MP4, MOV, 3GP) say it with their
// track's matrix, which phones write when held upright or turned over.
enum class Orientation {
    Unknown,  // the file does not say; GStreamer's image-orientation tag is followed
    Upright,
    Clockwise90,
    Turned180,
    Counterclockwise90,
    MirroredLeftRight,
    MirroredTopBottom,
    Transposed,      // mirrored across the top-left to bottom-right diagonal
    AntiTransposed,  // mirrored across the top-right to bottom-left diagonal
};

// How the first audio stream of a WAV or AIFF file is coded, as far as the engine cares.
enum class AudioCoding {
    Pcm,       // linear PCM, float, a-law or mu-law: one sample per frame of bytes
    ImaAdpcm,  // IMA (DVI) ADPCM in WAV blocks
    MsAdpcm,   // Microsoft ADPCM
    Gsm,       // GSM 6.10 in Microsoft's 65-byte blocks
    Other,
};

// True for the turns that make a picture's width its height: a quarter turn either way, and the
// mirrors across a diagonal.
constexpr bool turnsAcross(Orientation orientation)
{
    return orientation == Orientation::Clockwise90 || orientation == Orientation::Counterclockwise90 ||
           orientation == Orientation::Transposed || orientation == Orientation::AntiTransposed;
}

// What a file's own header (WAV, AIFF, AU, ISO media), timestamps (MPEG program streams) or
// frames (raw AAC) say, read with libavformat before GStreamer opens the file.
struct MediaFacts {
    Container container = Container::Other;
    // From the first to the end of the last sample or frame; 0 when the file does not say.
    int64_t lengthNs = 0;
    // MPEG program streams: the presentation time of the first sample or frame.
    int64_t firstPtsNs = 0;

    // The first audio stream of a WAV or AIFF file.
    AudioCoding coding = AudioCoding::Other;
    // AIFF whose coding GStreamer's own AIFF parser does not read (AIFF-C a-law, mu-law, ...).
    bool aiffNeedsLibav = false;
    int sampleRate = 0;
    int channels = 0;
    int blockAlign = 0;       // bytes per coded block (WAV)
    int samplesPerBlock = 0;  // samples per channel in one block, for the block codings

    // ISO media: the picture's turn as the first video track's matrix says it, which GStreamer
    // 1.22 reads only for the four turns, not the mirrored ones; and the frame rate of its
    // sample table (a variable rate's average), where GStreamer guesses a rate from a few
    // frame durations.
    Orientation orientation = Orientation::Unknown;
    double framesPerSecond = 0.0;

    int64_t fileBytes = 0;    // the file's size
    int64_t storedBytes = 0;  // what its storage holds: less for a sparse file
};

// Reads the facts of the file open as `fd` (named `name`, whose extension may help to tell the
// container), in at most a second and 32 MB of reads, through the descriptor alone. A file of
// another container gives Container::Other and its sizes only; one that libavformat cannot
// read within those bounds, its container and sizes only.
MediaFacts readMediaFacts(int fd, const std::string& name);

// A length GStreamer reckoned (from the file's size at a byte rate, for the containers whose
// header says none), cut to what the bytes the file really stores can hold: a sparse file of
// gigabytes whose first kilobytes are media is not hours of nothing.
int64_t boundedEstimateNs(int64_t estimateNs, const MediaFacts& facts);

// Samples per channel that one WAV block of `coding` decodes to, from the block size as the
// decoders count them; 0 when the block cannot hold one.
int samplesPerBlock(AudioCoding coding, int blockAlign, int channels);

}  // namespace zelko::mci
