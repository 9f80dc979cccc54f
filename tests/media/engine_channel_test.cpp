// The media layer on the real engine and real clips, through the product's channel: the parts
// where the texts meet GStreamer (sizes, frame rate, speed) and where paths meet the short path
// stand-in.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "media/engine_channel.h"
#include "media/module_multimedia.h"

namespace fs = std::filesystem;

namespace {

const fs::path kClips = ZELKO_CLIPS_DIR;

class EngineMedia : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(media.CloseAllMedia(), "Success"); }

    std::string open(const fs::path& clip)
    {
        return media.OpenMedia(0, "movie", clip.string(), "MPEGVideo");
    }

    // Polls as the end-of-media timer does, with a deadline well past the clip's length.
    bool playsToTheEnd()
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline) {
            int32_t length = 0;
            if (media.IsAtEnd("movie", length))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    EngineChannel channel;
    ModuleMultimedia media{channel};
};

TEST_F(EngineMedia, VideoClipReportsSizeRateAndLength)
{
    ASSERT_EQ(open(kClips / "video.mpg"), "Success");
    EXPECT_EQ(media.GetVideoSize("movie", "cx"), 320);
    EXPECT_EQ(media.GetVideoSize("movie", "CY"), 240);
    EXPECT_EQ(media.GetFramesPerSecond("movie"), 25);
    EXPECT_NEAR(media.GetTotalFrames("movie"), 50, 1);
    EXPECT_NEAR(media.GetLengthMs("movie"), 2000, 50);
    EXPECT_EQ(media.GetCurrentFrame("movie"), 0);  // back in frames after the length in ms
    EXPECT_EQ(media.GetPercentPlayed("movie"), 0);
}

TEST_F(EngineMedia, AudioClipHasNoVideoSize)
{
    ASSERT_EQ(open(kClips / "tone.wav"), "Success");
    EXPECT_EQ(media.GetVideoSize("movie", "cx"), -1);
    EXPECT_EQ(media.GetVideoSize("movie", "cy"), -1);
    int32_t width = 0, height = 0;
    EXPECT_NE(media.PlaceVideoWindow(0, "movie", 0, 0, width, height), "Success");
}

TEST_F(EngineMedia, SpeedGoesOutInThousandthsAndComesBackInPercent)
{
    ASSERT_EQ(open(kClips / "tone.mp3"), "Success");
    EXPECT_EQ(media.GetPlaybackSpeed("movie"), 100);
    EXPECT_EQ(media.SetPlaybackSpeed("movie", 40), "Success");
    EXPECT_EQ(media.GetPlaybackSpeed("movie"), 40);
    EXPECT_NE(media.SetPlaybackSpeed("movie", 0), "Success");
    EXPECT_EQ(media.GetPlaybackSpeed("movie"), 40);
}

TEST_F(EngineMedia, FailuresComeBackAsDescriptions)
{
    std::string missing = open(kClips / "no such clip.mpg");
    EXPECT_NE(missing, "Success");
    EXPECT_FALSE(missing.empty());
    EXPECT_EQ(media.GetTotalFrames("movie"), -1);
    EXPECT_EQ(media.GetPercentPlayed("movie"), -1);
    EXPECT_NE(media.PlayMedia("movie", "", ""), "Success");
    EXPECT_NE(open(kClips / "text.mp3"), "Success");
}

TEST_F(EngineMedia, PathWithBlanksQuotesAndNonAsciiLettersPlaysThroughItsShortPath)
{
    fs::path dir = fs::temp_directory_path() / "zelko media test dir";
    fs::create_directories(dir);
    fs::path clip = dir / "Ünïcödé \"quoted\" clip, one.mpg";
    fs::copy_file(kClips / "video.mpg", clip, fs::copy_options::overwrite_existing);

    ASSERT_EQ(open(clip), "Success");
    EXPECT_EQ(media.GetVideoSize("movie", "cx"), 320);
    EXPECT_EQ(media.PlayMedia("movie", "", ""), "Success");
    EXPECT_TRUE(playsToTheEnd());
    EXPECT_EQ(media.GetPercentPlayed("movie"), 100);
    fs::remove_all(dir);
}

// The player's own play request: from 0 to the length in frames. The two seconds of the clip
// play in real time, so the end cannot come much sooner than that.
TEST_F(EngineMedia, WholeFilePlayTakesTheClipsLength)
{
    for (const char* name : {"video.mpg", "video.avi", "tone.wav"}) {
        ASSERT_EQ(open(kClips / name), "Success") << name;
        auto started = std::chrono::steady_clock::now();
        ASSERT_EQ(media.PlayMedia("movie", "", ""), "Success") << name;
        EXPECT_TRUE(playsToTheEnd()) << name;
        EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1500)) << name;
        EXPECT_EQ(media.CloseAllMedia(), "Success");
    }
}

TEST_F(EngineMedia, SeekPlaysOnFromTheNewPosition)
{
    ASSERT_EQ(open(kClips / "video.mpg"), "Success");
    int32_t total = media.GetTotalFrames("movie");
    ASSERT_GT(total, 25);
    EXPECT_EQ(media.SeekMedia("movie", 25), "Success");
    EXPECT_GE(media.GetCurrentFrame("movie"), 25);
    EXPECT_TRUE(playsToTheEnd());
    EXPECT_NE(media.SeekMedia("movie", total + 100), "Success");
}

}  // namespace
