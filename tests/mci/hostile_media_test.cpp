// SPDX-License-Identifier: GPL-3.0-or-later
// Files made to waste a reader's time: their header facts are read in bounded time and bytes,
// and a length GStreamer reckons from a size that is mostly holes is not hours of nothing.
#include "engine_fixture.h"
#include "platform/mci/media_facts.h"
#include "platform/media_file.h"

#include <chrono>
#include <filesystem>

namespace zelko::mci::test {

namespace fs = std::filesystem;

namespace {

// A copy of the clip's first `keep` bytes (all of it when 0), padded with a hole to `size`.
std::string padded(const std::string& name, uintmax_t keep, uintmax_t size)
{
    const fs::path path = fs::temp_directory_path() / ("zelko-padded-" + std::to_string(::getpid()) + "-" + name);
    fs::copy_file(clip(name), path, fs::copy_options::overwrite_existing);
    if (keep > 0) {
        fs::resize_file(path, keep);
    }
    fs::resize_file(path, size);
    return path.string();
}

constexpr uintmax_t kMiB = 1024 * 1024;

}  // namespace

// GStreamer's own WAV parser walks the zeros 8 bytes at a time too (minutes for 256 MB), so
// such a file fails its open at the preroll bound; what the engine reads itself stops early.
TEST(MediaFacts, AHeaderReadStopsAtItsBoundsAndTrustsTheHeadersLength)
{
    const std::string path = padded("tone.wav", 0, 256 * kMiB);
    const platform::OpenedFile file = platform::openMediaFile(path);
    ASSERT_EQ(file.state, platform::FileState::Opened);
    const auto start = std::chrono::steady_clock::now();
    const MediaFacts facts = readMediaFacts(file.fd.get(), path);
    // Its second, and the one read under way when it ran out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(facts.container, Container::Wave);
    EXPECT_EQ(facts.fileBytes, static_cast<int64_t>(256 * kMiB));
    EXPECT_LT(facts.storedBytes, facts.fileBytes / 4);
    constexpr int64_t kTwoSecondsNs = 2'000'000'000;
    EXPECT_EQ(boundedEstimateNs(kTwoSecondsNs, facts), kTwoSecondsNs);
    fs::remove(path);
}

TEST_F(EngineTest, AnMpegStreamThatIsHolesAfterItsStartIsNotHoursLong)
{
    const std::string path = padded("video.mpg", 64 * 1024, 2048 * kMiB);
    // Whether its first 64 KB play depends on where the cut fell; either way the open ends
    // within the deadline the window gives an open (7 s), and no length beyond what they hold is
    // told.
    const auto start = std::chrono::steady_clock::now();
    const uint32_t opened = code("open " + path + " alias m");
    EXPECT_LT(std::chrono::steady_clock::now() - start, platform::timeLimit(std::chrono::seconds(7)));
    if (opened == 0) {
        EXPECT_LT(number("status m length"), 2000);
    }
    fs::remove(path);
}

}  // namespace zelko::mci::test
