// SPDX-License-Identifier: GPL-3.0-or-later
// Files written by other programs than GStreamer (sox, Python's aifc, ffmpeg, other MPEG muxers)
// open with their true length and play whole: in real time, to the end, where the length is.
#include "tests/mci/engine_fixture.h"

namespace zelko::mci::test {
namespace {

using std::chrono::milliseconds;

struct RealClip {
    const char* file;
    int64_t trueMs;  // first to the end of the last sample or frame (scripts/make-clips)
    bool video;
};

// Audio within 15 ms, video within 1.5 frames.
int64_t toleranceMs(const RealClip& clip)
{
    return clip.video ? 60 : 15;
}

milliseconds elapsedSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

// By container; GStreamer alone reads IMA ADPCM as 509 ms, MS ADPCM as 507 ms, and GSM's last
// block decodes on to 1040 ms. libav's AIFF demuxer cannot carry 24 and 32 bits, and aiffparse
// cannot read a-law and mu-law. GStreamer estimates the program streams at 470 ms (mpegpsmux) and
// 993 ms (avmux); ffmpeg's reads 982 ms, and positions half a second ahead.
const RealClip kRealClips[] = {
    {"wav-ima-adpcm.wav", 1015, false}, {"wav-ms-adpcm.wav", 1000, false}, {"wav-gsm.wav", 1020, false},
    {"wav-alaw.wav", 1000, false},      {"wav-ulaw.wav", 1000, false},     {"wav-float.wav", 1000, false},
    {"wav-pcm24.wav", 1000, false},     {"aiff-8.aiff", 1000, false},      {"aiff-16.aiff", 1000, false},
    {"aiff-24.aiff", 1000, false},      {"aiff-32.aiff", 1000, false},     {"aifc-none.aifc", 1000, false},
    {"aifc-fl32.aifc", 1000, false},    {"aifc-sowt.aifc", 1000, false},   {"aifc-alaw.aifc", 1000, false},
    {"aifc-ulaw.aifc", 1000, false},    {"au-16.au", 1000, false},         {"au-ulaw.au", 1000, false},
    {"au-float.au", 1000, false},       {"ps-mpegpsmux.mpg", 1019, true},  {"ps-avmux.mpg", 1019, true},
    {"ps-ffmpeg.mpg", 1019, true},      {"avi-mpeg4-mp3.avi", 1045, true}, {"avi-msmpeg4-mp3.avi", 1045, true},
    {"avi-dv.avi", 1000, true},
};

TEST_F(EngineTest, RealFilesOpenWithTheirTrueLengthAndPlayWhole)
{
    for (const RealClip& real : kRealClips) {
        SCOPED_TRACE(real.file);
        ASSERT_EQ(code("open " + clip(real.file) + " alias m"), 0u);
        EXPECT_EQ(number("status m position"), 0);
        const int64_t lengthMs = number("status m length");
        EXPECT_NEAR(lengthMs, real.trueMs, toleranceMs(real));

        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(code("play m from 0 to " + std::to_string(lengthMs) + " wait"), 0u);
        // Real time, to the last sample. Within the tolerance: auparse stamps an 8-bit AU's
        // buffers early by its header's 44 bytes, so a null sink ends 5.5 ms early there.
        EXPECT_GE(elapsedSince(start), milliseconds(lengthMs - toleranceMs(real)));
        const int64_t playedMs = number("status m length");
        EXPECT_NEAR(playedMs, real.trueMs, toleranceMs(real));
        EXPECT_EQ(number("status m position"), playedMs);
        ASSERT_EQ(code("close m"), 0u);
    }
}

// A range ends when what lies before its end has played, however much the sink holds at once:
// 8000 Hz files come in half-second buffers, and a short GSM file in a single one.
TEST_F(EngineTest, ARangeEndsWhenItsLastSampleHasPlayed)
{
    for (const char* file : {"aifc-alaw.aifc", "au-ulaw.au", "wav-gsm.wav", "wav-ima-adpcm.wav", "ps-ffmpeg.mpg"}) {
        SCOPED_TRACE(file);
        open(file);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(code("play m from 200 to 700 wait"), 0u);
        EXPECT_GE(elapsedSince(start), milliseconds(499));
        EXPECT_EQ(number("status m position"), 700);
        ASSERT_EQ(code("close m"), 0u);
    }
}

}  // namespace
}  // namespace zelko::mci::test
