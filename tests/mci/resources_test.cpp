// Opening, playing and closing many times leaves no threads, descriptors or memory behind.
#include "tests/mci/engine_fixture.h"

#include <dirent.h>

#include <fstream>

namespace zelko::mci::test {
namespace {

int countEntries(const char* path)
{
    int count = 0;
    if (DIR* dir = ::opendir(path)) {
        while (const dirent* entry = ::readdir(dir)) {
            count += entry->d_name[0] != '.';
        }
        ::closedir(dir);
    }
    return count;
}

int64_t residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stoll(line.substr(6));
        }
    }
    return 0;
}

TEST_F(EngineTest, TwoHundredCyclesLeaveNothingBehind)
{
    auto cycle = [&](int i) {
        const std::string file = i % 2 == 0 ? "tone.wav" : "video.mpg";
        ASSERT_EQ(code("open " + clip(file) + " alias c"), 0u);
        ASSERT_EQ(code("play c"), 0u);
        ASSERT_EQ(code("status c position"), 0u);
        ASSERT_EQ(code("close c"), 0u);
    };
    for (int i = 0; i < 20; ++i) {
        cycle(i);
    }
    const int threads = countEntries("/proc/self/task");
    const int descriptors = countEntries("/proc/self/fd");
    const int64_t memoryKb = residentKb();
    for (int i = 0; i < 200; ++i) {
        cycle(i);
    }
    // GLib keeps a few idle pool threads for a while; anything more would be a leak.
    EXPECT_LE(countEntries("/proc/self/task"), threads + 4);
    EXPECT_LE(countEntries("/proc/self/fd"), descriptors + 2);
#ifndef __SANITIZE_ADDRESS__
    // AddressSanitizer holds freed memory in quarantine (and checks leaks itself at exit).
    EXPECT_LT(residentKb() - memoryKb, 40 * 1024);
#else
    (void)memoryKb;
#endif
}

}  // namespace
}  // namespace zelko::mci::test
