// SPDX-License-Identifier: GPL-3.0-or-later
// The files people have today (MP4, MOV, 3GP, M4A, Matroska, WebM, Ogg, Opus, FLAC, WMA, WMV,
// ASF, raw AAC and AC-3, written by ffmpeg) open at their true length, count their frames at
// their frame rate, play whole in real time, and play on from a seek to the end.
#include "tests/mci/engine_fixture.h"

#include <cmath>

namespace zelko::mci::test {
namespace {

using std::chrono::milliseconds;

struct Kind {
    const char* file;
    // ffprobe's length (5.1, its format's duration unless noted).
    int64_t ffprobeMs;
    double framesPerSecond;  // 0: no picture
};

// ffprobe counts Opus's 312 samples of pre-skip, which decoders drop (2006.5 ms); ASF's
// duration holds more than its streams, which ffprobe gives as 2042 and 2046 ms; raw AAC's it
// reckons from the bit rate (2016 ms), its 88 frames of 1024 samples are 2043 ms. Matroska's
// duration ends at the last block's start: the AAC and Vorbis in it play a block longer (20
// and 10 ms), which the length follows at the end.
const Kind kKinds[] = {
    {"kind-mp4.mp4", 2000, 25},
    {"kind-m4v.m4v", 2000, 25},
    {"kind-mov.mov", 2000, 25},
    {"kind-3gp.3gp", 2000, 25},
    {"kind-aac.m4a", 2000, 0},
    {"kind-alac.m4a", 2000, 0},
    {"kind-surround.m4a", 2000, 0},
    {"kind-av1.mkv", 2008, 25},
    {"kind-hevc10.mkv", 2023, 25},
    {"kind-subtitles.mkv", 2023, 25},
    {"kind-vorbis.mka", 2003, 0},
    {"kind-vp9.webm", 2008, 25},
    {"kind-vorbis.ogg", 2000, 0},
    {"kind-flac.oga", 2000, 0},
    {"kind-theora.ogv", 2000, 25},
    {"kind-opus.opus", 2007, 0},
    {"kind-flac.flac", 2000, 0},
    {"kind-wma.wma", 2042, 0},
    {"kind-wmv.wmv", 2046, 25},
    {"kind-asf.asf", 2046, 25},
    {"kind-adts.aac", 2043, 0},
    {"kind-ac3.ac3", 2020, 0},
    // 50 frames in 2.96 s: counted at their average rate, not at a rate guessed from a few.
    {"kind-vfr.mp4", 2960, 50 / 2.96},
};

// One frame of a picture, 20 ms of sound.
int64_t toleranceMs(const Kind& kind)
{
    return kind.framesPerSecond > 0 ? std::llround(std::ceil(1000 / kind.framesPerSecond)) : 20;
}

milliseconds elapsedSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

class KindsTest : public EngineTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(KindsTest, OpensAtItsTrueLengthAndPlaysWholeAndFromASeek)
{
    const Kind& kind = GetParam();
    const int64_t tolerance = toleranceMs(kind);
    ASSERT_EQ(code("open " + clip(kind.file) + " alias m"), 0u);
    const int64_t lengthMs = number("status m length");
    EXPECT_NEAR(lengthMs, kind.ffprobeMs, tolerance);

    if (kind.framesPerSecond > 0) {
        ASSERT_EQ(code("set m time format frames"), 0u);
        EXPECT_NEAR(number("status m length"), std::llround(kind.ffprobeMs * kind.framesPerSecond / 1000), 1);
        ASSERT_EQ(code("set m time format ms"), 0u);
    } else {
        EXPECT_EQ(code("set m time format frames"), 293u);
    }

    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(code("play m from 0 wait"), 0u);
    EXPECT_GE(elapsedSince(start), milliseconds(lengthMs - tolerance));
    const int64_t playedMs = number("status m length");
    EXPECT_NEAR(playedMs, kind.ffprobeMs, tolerance);
    EXPECT_EQ(number("status m position"), playedMs);

    // From a seek the rest plays, in real time: the seek did not land past where it was sent.
    ASSERT_EQ(code("seek m to 1500"), 0u);
    EXPECT_EQ(number("status m position"), 1500);
    start = std::chrono::steady_clock::now();
    ASSERT_EQ(code("play m wait"), 0u);
    EXPECT_GE(elapsedSince(start), milliseconds(playedMs - 1500 - tolerance));
    EXPECT_EQ(number("status m position"), number("status m length"));
    ASSERT_EQ(code("close m"), 0u);
}

// A phone held upright stores its 1920x1080 picture on its side and turns it with the track's
// matrix: it is a 1080x1920 video, 60 frames at 30 a second.
TEST_F(EngineTest, APhonesPortraitVideoIsTallerThanWide)
{
    open("phone.mp4");
    EXPECT_EQ(reply("where m source"), "0 0 1080 1920");
    EXPECT_EQ(reply("where m destination"), "0 0 1080 1920");
    ASSERT_EQ(code("set m time format frames"), 0u);
    EXPECT_EQ(number("status m length"), 60);
}

INSTANTIATE_TEST_SUITE_P(Files, KindsTest, ::testing::ValuesIn(kKinds), [](const auto& info) {
    std::string name = info.param.file;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
});

}  // namespace
}  // namespace zelko::mci::test
