// SPDX-License-Identifier: GPL-3.0-or-later
// Every offered type plays for real: lengths, frames and milliseconds, video geometry, the end.
#include "tests/mci/engine_fixture.h"

#include <tuple>

namespace zelko::mci::test {
namespace {

TEST_F(EngineTest, EveryClipOpensWithItsLengthAndPlaysToIt)
{
    // File, how far its length may be from 2000 ms, whether it has a picture.
    const std::tuple<const char*, int64_t, bool> clips[] = {
        {"tone.wav", 1, false},  {"tone.au", 1, false},   {"tone.aiff", 1, false}, {"tone.mp3", 120, false},
        {"tone.mp2", 60, false}, {"tune.mid", 60, false}, {"tune.rmi", 60, false}, {"video.mpg", 60, true},
        {"video.avi", 60, true}, {"video.vob", 60, true},
    };
    for (const auto& [file, toleranceMs, video] : clips) {
        SCOPED_TRACE(file);
        open(file);
        EXPECT_EQ(reply("status m mode"), "stopped");
        EXPECT_EQ(reply("status m time format"), "milliseconds");
        EXPECT_EQ(number("status m position"), 0);
        EXPECT_EQ(number("status m speed"), 1000);
        const int64_t lengthMs = number("status m length");
        EXPECT_NEAR(lengthMs, 2000, toleranceMs);
        if (video) {
            ASSERT_EQ(code("set m time format frames"), 0u);
            // 25 fps: frames = round(seconds * 25).
            EXPECT_NEAR(number("status m length"), lengthMs * 25 / 1000.0, 0.51);
            EXPECT_EQ(reply("where m destination"), "0 0 320 240");
            ASSERT_EQ(code("seek m to 25"), 0u);
            EXPECT_EQ(number("status m position"), 25);
            ASSERT_EQ(code("set m time format ms"), 0u);
            EXPECT_EQ(number("status m position"), 1000);
            ASSERT_EQ(code("set m time format frames"), 0u);
        } else {
            EXPECT_EQ(code("set m time format frames"), 293u);
            EXPECT_EQ(reply("status m time format"), "milliseconds");
            EXPECT_EQ(number("status m length"), lengthMs);
        }
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(code("play m from 0 wait"), 0u);
        // Real time, not as fast as the decoder can go.
        EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1600));
        EXPECT_EQ(reply("status m mode"), "stopped");
        // At the end the position is the length: for a length GStreamer estimated (an MP3 with no
        // header that says it), where the stream really ended.
        const int64_t endedLength = number("status m length");
        EXPECT_EQ(number("status m position"), endedLength);
        if (!video) {
            EXPECT_NEAR(endedLength, 2000, toleranceMs);
        }
        ASSERT_EQ(code("close m"), 0u);
    }
}

}  // namespace
}  // namespace zelko::mci::test
