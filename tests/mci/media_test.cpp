// Every offered type plays for real: lengths, frames and milliseconds, video geometry.
#include "tests/mci/engine_fixture.h"

namespace zelko::mci::test {
namespace {

struct MediaCase {
    std::string file;
    int64_t lengthMs;
    int64_t toleranceMs;
    bool video;
};

void PrintTo(const MediaCase& c, std::ostream* os) { *os << caseLabel(c.file); }

class MediaTest : public EngineTest, public ::testing::WithParamInterface<MediaCase> {};

TEST_P(MediaTest, OpensStoppedAtZeroWithItsLength)
{
    const MediaCase& media = GetParam();
    open(media.file);
    EXPECT_EQ(send("status m mode").reply, "stopped");
    EXPECT_EQ(send("status m time format").reply, "milliseconds");
    EXPECT_EQ(number("status m position"), 0);
    EXPECT_EQ(number("status m speed"), 1000);
    EXPECT_EQ(send("status m ready").reply, "true");
    EXPECT_NEAR(number("status m length"), media.lengthMs, media.toleranceMs);
}

TEST_P(MediaTest, FramesOnlyWithVideoCountedAtItsRate)
{
    const MediaCase& media = GetParam();
    open(media.file);
    const int64_t lengthMs = number("status m length");
    if (!media.video) {
        EXPECT_EQ(code("set m time format frames"), 293u);
        EXPECT_EQ(send("status m time format").reply, "milliseconds");
        EXPECT_EQ(number("status m length"), lengthMs);
        EXPECT_EQ(code("where m destination"), 346u);
        return;
    }
    ASSERT_EQ(code("set m time format frames"), 0u);
    EXPECT_EQ(send("status m time format").reply, "frames");
    // 25 fps: frames = round(seconds * 25).
    EXPECT_NEAR(number("status m length"), lengthMs * 25 / 1000.0, 0.51);
    EXPECT_EQ(send("where m destination").reply, "0 0 320 240");
    EXPECT_EQ(send("where m source").reply, "0 0 320 240");
    ASSERT_EQ(code("seek m to 25"), 0u);
    EXPECT_EQ(number("status m position"), 25);
    ASSERT_EQ(code("set m time format ms"), 0u);
    EXPECT_EQ(number("status m position"), 1000);
}

TEST_P(MediaTest, PlaysToTheEndAndStandsOnTheLength)
{
    const MediaCase& media = GetParam();
    open(media.file);
    if (media.video) {
        ASSERT_EQ(code("set m time format frames"), 0u);
    }
    const int64_t length = number("status m length");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(code("play m from 0 wait"), 0u);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // Real time, not as fast as the decoder can go.
    EXPECT_GT(elapsed, std::chrono::milliseconds(media.lengthMs * 8 / 10));
    EXPECT_EQ(send("status m mode").reply, "stopped");
    EXPECT_EQ(number("status m position"), length);
    EXPECT_EQ(number("status m length"), length);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, MediaTest,
    ::testing::Values(MediaCase{"tone.wav", 2000, 1, false}, MediaCase{"tone.au", 2000, 1, false},
                      MediaCase{"tone.aiff", 2000, 1, false}, MediaCase{"tone.mp3", 2000, 120, false},
                      MediaCase{"tone.mp2", 2000, 60, false}, MediaCase{"tune.mid", 2000, 60, false},
                      MediaCase{"tune.rmi", 2000, 60, false}, MediaCase{"video.mpg", 2000, 60, true},
                      MediaCase{"video.avi", 2000, 60, true}, MediaCase{"video.vob", 2000, 60, true}));

}  // namespace
}  // namespace zelko::mci::test
