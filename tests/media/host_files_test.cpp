// SPDX-License-Identifier: GPL-3.0-or-later
// The files the engine host plays, on the real host and real clips: the window opens each file
// and hands the host its descriptor, so the host plays a file it cannot see; a missing file, a
// folder and a file without its decoder answer as before; the tags come from the host, from
// what it met when it opened the file, also when only the decoder is missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "channels/host_channel.h"
#include "tests/media/host_calls.h"
#include "platform/mci_error_codes.h"

namespace zelko {
namespace {

namespace fs = std::filesystem;
using channels::HostChannel;
using mci::code::kFileNotFound;
using mci::code::kInvalidFile;

std::string clip(const char* name)
{
    return (fs::path(ZELKO_CLIPS_DIR) / name).string();
}

class HostFilesTest : public testing::Test {
protected:
    HostFilesTest() { test::HostCalls::application(); }

    uint32_t send(HostChannel& channel, const std::string& command) { return calls(channel).send(command); }
    std::string reply() const { return m_calls ? m_calls->reply() : std::string(); }
    std::string description(HostChannel& channel, uint32_t code) { return calls(channel).description(code); }
    platform::TrackTags tagsOf(HostChannel& channel, const std::string& path) { return calls(channel).tags(path); }

private:
    test::HostCalls& calls(HostChannel& channel)
    {
        if (!m_calls || &m_calls->channel() != &channel) {
            m_calls = std::make_unique<test::HostCalls>(channel);
        }
        return *m_calls;
    }

    std::unique_ptr<test::HostCalls> m_calls;
};

// Exit statuses of the child below.
enum Private { kPlayed = 0, kNoNamespace = 77, kHostSawIt = 10, kOpenFailed, kNotPlaying };

// In a mount namespace of its own, made after its host started, the child mounts a folder only
// it sees and plays a clip from there: the host, in the namespace it started in, has no path to
// the file and must read it through the descriptor.
int playFromAPrivateFolder(const fs::path& folder)
{
    test::HostCalls::application();
    HostChannel channel(ZELKO_MCI_HOST);
    test::HostCalls calls(channel);
    channel.warmUp();
    calls.waitForHost();  // the host runs before the namespace is made
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16m") != 0) {
        return kNoNamespace;
    }
    const fs::path file = folder / "only the window sees this.wav";
    fs::copy_file(clip("tone.wav"), file);
    const std::string seenByHost = "/proc/" + std::to_string(channel.hostPid()) + "/root" + file.string();
    if (::access(seenByHost.c_str(), F_OK) == 0) {
        return kHostSawIt;
    }
    if (calls.send("open \"" + file.string() + "\" alias m", 0) != 0 || calls.send("status m length") != 0 ||
        calls.reply() != "2000") {
        return kOpenFailed;
    }
    if (calls.send("play m", 0) != 0 || calls.send("status m mode") != 0 || calls.reply() != "playing") {
        return kNotPlaying;
    }
    return kPlayed;
}

TEST_F(HostFilesTest, TheHostPlaysAFileItHasNoPathTo)
{
    const fs::path folder = fs::temp_directory_path() / ("zelko-private-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(playFromAPrivateFolder(folder));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    fs::remove(folder);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kNoNamespace) {
        GTEST_SKIP() << "no mount namespace for this test (it needs CAP_SYS_ADMIN)";
    }
    EXPECT_EQ(WEXITSTATUS(status), kPlayed) << "see Private in the test";
}

TEST_F(HostFilesTest, FilesThatDoNotOpenAnswerAsBefore)
{
    HostChannel channel(ZELKO_MCI_HOST);
    EXPECT_EQ(send(channel, "open " + clip("no-such-file.mp3") + " alias m"), kFileNotFound);
    EXPECT_EQ(send(channel, "open " + std::string(ZELKO_CLIPS_DIR) + " alias m"), kInvalidFile);
    EXPECT_EQ(description(channel, kInvalidFile), "The file cannot be played: it is not a regular file.");
    EXPECT_EQ(send(channel, "open " + clip("text.mp3") + " alias m"), kInvalidFile);
    // Two devices on one file, each with a descriptor of its own.
    ASSERT_EQ(send(channel, "open " + clip("tone.wav") + " alias a"), 0u);
    ASSERT_EQ(send(channel, "open " + clip("tone.wav") + " alias b"), 0u);
    EXPECT_EQ(send(channel, "close a"), 0u);
    EXPECT_EQ(send(channel, "play b"), 0u);
    EXPECT_EQ(send(channel, "status b mode"), 0u);
    EXPECT_EQ(reply(), "playing");
}

TEST_F(HostFilesTest, TheTagsComeFromTheHostThatOpenedTheFile)
{
    HostChannel channel(ZELKO_MCI_HOST);
    const std::string tagged = clip("tagged.mp3");
    // Not opened by this host: nothing is read.
    EXPECT_EQ(tagsOf(channel, tagged).title, "");
    EXPECT_EQ(channel.hostPid(), 0);
    ASSERT_EQ(send(channel, "open " + tagged + " alias m"), 0u);
    const platform::TrackTags tags = tagsOf(channel, tagged);
    EXPECT_EQ(tags.title, "Blue Tone");
    EXPECT_EQ(tags.artist, "The Testers");
    EXPECT_EQ(tags.album, "Sine Album");
    EXPECT_EQ(tags.genre, "Ambient");
    EXPECT_EQ(tags.trackNumber, 3u);
    EXPECT_EQ(tags.coverType, "image/png");
    ASSERT_GT(tags.cover.size(), 8u);
    EXPECT_EQ(std::string(tags.cover.begin(), tags.cover.begin() + 4), "\x89PNG");
    EXPECT_EQ(send(channel, "close m"), 0u);
    // Another file that was not opened is not asked about, and a file rewritten since its open
    // is another file.
    EXPECT_EQ(tagsOf(channel, clip("tone.mp3")).title, "");
    const fs::path copy = fs::temp_directory_path() / ("zelko-tagged-" + std::to_string(::getpid()) + ".mp3");
    fs::copy_file(tagged, copy, fs::copy_options::overwrite_existing);
    ASSERT_EQ(send(channel, "open " + copy.string() + " alias c"), 0u);
    EXPECT_EQ(tagsOf(channel, copy.string()).title, "Blue Tone");
    fs::copy_file(clip("tone.mp3"), copy, fs::copy_options::overwrite_existing);
    EXPECT_EQ(tagsOf(channel, copy.string()).title, "");
    fs::remove(copy);
}

// GStreamer's parsebin, which the tags of such a file were once read with, raced its own caps
// notification and called the parsed MP3 unknown in about one run in three: the tags of each
// open must be there every time.
TEST_F(HostFilesTest, TheTagsOfAFileWithoutItsDecoderAreToldEveryTime)
{
    ::setenv("GST_PLUGIN_FEATURE_RANK", "mpg123audiodec:NONE,avdec_mp3:NONE,avdec_mp3float:NONE", 1);
    HostChannel channel(ZELKO_MCI_HOST);
    channel.warmUp();  // the host takes the ranks with it
    ASSERT_TRUE(test::HostCalls(channel).waitForHost());
    ::unsetenv("GST_PLUGIN_FEATURE_RANK");
    const std::string tagged = clip("tagged.mp3");
    for (int run = 0; run < 12; ++run) {
        ASSERT_EQ(send(channel, "open " + tagged + " alias m"), kInvalidFile) << "run " << run;
        EXPECT_NE(channel.missingDecoder(kInvalidFile), "") << "run " << run;
        const platform::TrackTags tags = tagsOf(channel, tagged);
        EXPECT_EQ(tags.title, "Blue Tone") << "run " << run;
        EXPECT_EQ(tags.coverType, "image/png") << "run " << run;
    }
}

}  // namespace
}  // namespace zelko
