// SPDX-License-Identifier: GPL-3.0-or-later
// The engine host's fence, entered in a child of the test: no socket but Unix ones, no writes
// but beneath its runtime folder (and /dev), reads everywhere.
#include "platform/mci_host/sandbox.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/landlock.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelko::mci {

namespace fs = std::filesystem;

namespace {

// Each check the fenced child makes, as a bit of its exit status when it fails.
enum Check {
    kInternetRefused = 1,
    kInternet6Refused = 2,
    kUnixAllowed = 4,
    kNewFileRefused = 8,
    kRewriteRefused = 16,
    kReadAllowed = 32,
    kRuntimeWriteAllowed = 64,
    kFenced = 128,
};

bool refused(int result)
{
    return result < 0 && errno == EACCES;
}

int fencedChild(const fs::path& runtime, const fs::path& playlistFolder, bool needFiles)
{
    const SandboxReport report = enterSandbox(runtime);
    int failed = report.network && (report.files || !needFiles) ? 0 : kFenced;
    failed |= refused(::socket(AF_INET, SOCK_STREAM, 0)) ? 0 : kInternetRefused;
    failed |= refused(::socket(AF_INET6, SOCK_DGRAM, 0)) ? 0 : kInternet6Refused;
    failed |= ::socket(AF_UNIX, SOCK_STREAM, 0) >= 0 ? 0 : kUnixAllowed;
    if (report.files) {
        failed |= refused(::open((playlistFolder / "new.txt").c_str(), O_WRONLY | O_CREAT, 0644)) ? 0 : kNewFileRefused;
        failed |= refused(::open((playlistFolder / "pl1.txt").c_str(), O_WRONLY | O_TRUNC)) ? 0 : kRewriteRefused;
        failed |= ::open((runtime / "scratch").c_str(), O_WRONLY | O_CREAT, 0600) >= 0 ? 0 : kRuntimeWriteAllowed;
    }
    failed |= ::open((playlistFolder / "pl1.txt").c_str(), O_RDONLY) >= 0 ? 0 : kReadAllowed;
    return failed;
}

// Where the kernel has no Landlock the host says so and runs with the network fence alone.
bool kernelHasLandlock()
{
    return ::syscall(__NR_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) >= 1;
}

}  // namespace

TEST(HostSandbox, RefusesTheNetworkAndWritesOutsideItsRuntimeFolder)
{
    const fs::path root = fs::temp_directory_path() / ("zelko-sandbox-" + std::to_string(::getpid()));
    const fs::path runtime = root / "runtime";
    const fs::path playlists = root / "playlists";
    fs::create_directories(runtime);
    fs::create_directories(playlists);
    std::ofstream(playlists / "pl1.txt") << "tone.wav\r\n";

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(fencedChild(runtime, playlists, kernelHasLandlock()));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failed checks (bits of Check): " << WEXITSTATUS(status);
    EXPECT_FALSE(fs::exists(playlists / "new.txt"));
    EXPECT_EQ(fs::file_size(playlists / "pl1.txt"), 10u);
    fs::remove_all(root);
}

}  // namespace zelko::mci
