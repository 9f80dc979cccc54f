// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zelko::mci {

// The containers whose length the engine takes from the file itself rather than from
// GStreamer, which estimates some of them from a byte rate or a clock reference.
enum class Container { Other, Wave, Aiff, Au, MpegProgram };

// How the first audio stream of a WAV or AIFF file is coded, as far as the engine cares.
enum class AudioCoding {
    Pcm,       // linear PCM, float, a-law or mu-law: one sample per frame of bytes
    ImaAdpcm,  // IMA (DVI) ADPCM in WAV blocks
    MsAdpcm,   // Microsoft ADPCM
    Gsm,       // GSM 6.10 in Microsoft's 65-byte blocks
    Other,
};

// What a file's own header (WAV, AIFF, AU) or timestamps (MPEG program streams) say, read
// with libavformat before GStreamer opens the file.
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
