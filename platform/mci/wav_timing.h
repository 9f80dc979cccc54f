// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gst/gst.h>

#include <cstdint>

namespace zelko::mci {

// Puts a block-coded WAV file (IMA ADPCM, Microsoft ADPCM, GSM) on its true time axis.
//
// wavparse times these files by a byte rate, and GStreamer's RIFF code (riff-media.c, 1.22)
// replaces the header's byte rate of both ADPCM codings by rate * block size / n, where n is
// the count of data bytes in a block, not the count of samples a block decodes to (two per
// byte per channel, plus those in the block's header). For a mono file that doubles the byte
// rate, so every timestamp, the duration and every seek come out at half their true value.
// And the last block decodes past the sample count that the file's `fact` chunk declares.
//
// So on wavparse's source pad, buffers are stamped from their block number and the samples per
// block; segments and seeks are scaled between wavparse's time and the true time; and the
// segment ends at the declared count, so the padding of the last block is not played.
struct WavBlocks {
    int sampleRate = 0;
    int blockAlign = 0;            // bytes per block
    int samplesPerBlock = 0;       // samples per channel that a block decodes to
    int64_t declaredLengthNs = 0;  // the file's declared sample count as a time; 0: none
};

// Corrects what passes through `wavparse`'s source pad, from the moment it streams data.
void correctWavTiming(GstElement* wavparse, const WavBlocks& blocks);

}  // namespace zelko::mci
