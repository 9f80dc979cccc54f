// SPDX-License-Identifier: GPL-3.0-or-later
// Opening, playing and closing many times leaves no threads, descriptors or memory behind, also
// while the engine warms up.
#include "tests/mci/engine_fixture.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace zelko::mci::test {
namespace {

int countEntries(const char* path)
{
    const auto entries = std::filesystem::directory_iterator(path);
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

// Threads, open descriptors and resident kilobytes of this process.
std::array<int64_t, 3> usage()
{
    int64_t size = 0;
    int64_t resident = 0;
    std::ifstream("/proc/self/statm") >> size >> resident;
    return {countEntries("/proc/self/task"), countEntries("/proc/self/fd"), resident * ::sysconf(_SC_PAGESIZE) / 1024};
}

TEST_F(EngineTest, TwoHundredCyclesLeaveNothingBehind)
{
    std::array<int64_t, 3> before{};
    for (int i = 0; i < 220; ++i) {
        // The first 20 cycles warm up GStreamer's registry, pools and caches.
        if (i == 20) {
            before = usage();
        }
        ASSERT_EQ(code("open " + clip(i % 2 == 0 ? "tone.wav" : "video.mpg") + " alias c"), 0u);
        ASSERT_EQ(code("play c"), 0u);
        ASSERT_EQ(code("status c position"), 0u);
        ASSERT_EQ(code("close c"), 0u);
    }
    const std::array<int64_t, 3> after = usage();
    // GLib keeps a few idle pool threads for a while; anything more would be a leak.
    EXPECT_LE(after[0], before[0] + 4);
    EXPECT_LE(after[1], before[1] + 2);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // AddressSanitizer holds freed memory in quarantine (and checks leaks itself at exit);
    // ThreadSanitizer's shadow and history grow with every address the process touches.
    EXPECT_LT(after[2] - before[2], 40 * 1024);
#endif
}

// The warm-up loads plugins and probes the outputs on its own thread while this one opens and
// plays every kind; the engine waits for that thread when it goes.
TEST_F(EngineTest, OpensAndPlaysWhileItWarmsUp)
{
    m_engine.warmUp();
    for (const char* name : {"tune.mid", "video.avi", "tone.mp3", "video.vob", "tone.aiff"}) {
        open(name);
        EXPECT_EQ(code("play m"), 0u) << name;
        EXPECT_EQ(code("close m"), 0u) << name;
    }
}

}  // namespace
}  // namespace zelko::mci::test
