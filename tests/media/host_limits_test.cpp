// SPDX-License-Identifier: GPL-3.0-or-later
// The engine host's memory limit, met by a real decoder: GStreamer's MIDI parser reads a whole
// file into memory before it parses it, and copies it once more, so 3.5 GB of holes behind a
// MIDI header make it map 7 GiB within two seconds, and more the longer the file. With the
// limit its second allocation fails: the host maps no more than the limit, the parser goes on
// failing until the open's deadline gives the host up, and the file costs its own entry only.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "channels/host_channel.h"
#include "platform/mci_error_codes.h"
#include "platform/mci_host/sandbox.h"
#include "tests/media/host_calls.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZELKO_SANITIZED 1
#endif

namespace zelko {

namespace fs = std::filesystem;
using mci::code::kInvalidDeviceName;
using mci::code::kInvalidFile;
using zelko::channels::HostChannel;

namespace {

constexpr uint64_t kMiB = 1 << 20;

// The data the process maps now, in bytes; 0 when it has gone.
uint64_t dataOf(int pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmData:", 0) == 0) {
            return std::stoull(line.substr(7)) * 1024;
        }
    }
    return 0;
}

// Samples a host's data until stopped; a host past the limit (by more than the allocation
// that found it) is killed at once, so a missing limit fails the test and spares the machine.
class DataWatch {
public:
    explicit DataWatch(int pid)
        : m_thread([this, pid] {
              while (!m_stop) {
                  const uint64_t now = dataOf(pid);
                  m_peak = std::max<uint64_t>(m_peak, now);
                  if (now > mci::kDataLimit + 512 * kMiB) {
                      ::kill(pid, SIGKILL);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          })
    {
    }
    ~DataWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    uint64_t peak() const { return m_peak; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<uint64_t> m_peak{0};
    std::thread m_thread;
};

}  // namespace

TEST(HostLimits, ADecoderThatAllocatesWithoutEndMeetsTheLimitAndCostsItsEntry)
{
#ifdef ZELKO_SANITIZED
    GTEST_SKIP() << "a sanitizer build's host has no memory limit";
#endif
    const fs::path bomb = fs::temp_directory_path() / ("zelko-bomb-" + std::to_string(::getpid()) + ".mid");
    {
        std::ofstream file(bomb, std::ios::binary);
        file.write("MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0\14\0\220\74\100\140\200\74\100\0\377\57\0", 34);
    }
    fs::resize_file(bomb, 3500 * kMiB);  // holes: the disk stores none of it

    test::HostCalls::application();
    HostChannel channel(ZELKO_MCI_HOST);
    test::HostCalls calls(channel);
    ASSERT_EQ(calls.send("status nothing mode"), kInvalidDeviceName);  // a host is up
    const int host = channel.hostPid();
    uint64_t peak = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        DataWatch watch(host);
        EXPECT_EQ(calls.send("open " + bomb.string() + " alias bomb", 0), kInvalidFile);
        peak = watch.peak();
    }
    char why[256] = {};
    channel.getErrorString(kInvalidFile, why, sizeof why);
    std::printf(
        "peak %llu MiB after %lld ms: %s\n", static_cast<unsigned long long>(peak / kMiB),
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count()),
        why);
    fs::remove(bomb);
    EXPECT_GT(peak, 2048 * kMiB) << "the parser did not get going";
    EXPECT_LE(peak, mci::kDataLimit + 512 * kMiB);

    // The next file plays, on this host or the one that replaced it.
    const std::string tone = (fs::path(ZELKO_CLIPS_DIR) / "tone.wav").string();
    ASSERT_EQ(calls.send("open " + tone + " alias next", 0), 0u);
    ASSERT_EQ(calls.send("play next", 0), 0u);
    EXPECT_EQ(calls.send("status next mode"), 0u);
    EXPECT_EQ(calls.reply(), "playing");
}

}  // namespace zelko
