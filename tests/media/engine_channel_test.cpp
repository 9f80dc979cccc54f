// SPDX-License-Identifier: GPL-3.0-or-later
// The media layer on the real engine and real clips, through the product's channel: where the
// texts meet GStreamer (sizes, frame rate, speed) and where paths meet the short path stand-in.
#include <gtest/gtest.h>

#include <filesystem>

#include "channels/engine_channel.h"
#include "media/module_multimedia.h"
#include "tests/media/task_now.h"

namespace zelko {

namespace fs = std::filesystem;
using zelko::channels::EngineChannel;
using zelko::media::ModuleMultimedia;

TEST(EngineMedia, ClipsOpenThroughTheirShortPathsAndReportSizesRateAndSpeed)
{
    const fs::path clips = ZELKO_CLIPS_DIR;
    const fs::path dir = fs::temp_directory_path() / "zelko media test dir";
    const fs::path clip = dir / "Ünïcödé \"quoted\" clip, one.mpg";  // a copy of the 320 x 240 video
    fs::create_directories(dir);
    fs::copy_file(clips / "video.mpg", clip, fs::copy_options::overwrite_existing);
    EngineChannel channel;
    ModuleMultimedia media(channel);

    ASSERT_EQ(Now(media.OpenMedia(0, "movie", clip, "MPEGVideo")), "Success");
    EXPECT_EQ(Now(media.GetVideoSize("movie", "cx")), 320);
    EXPECT_EQ(Now(media.GetVideoSize("movie", "CY")), 240);
    EXPECT_EQ(Now(media.GetFramesPerSecond("movie")), 25);
    EXPECT_EQ(Now(media.PlayMedia("movie", "", "")), "Success");
    // Waited on to its end, the position is the length itself.
    ASSERT_EQ(channel.sendString("play movie wait", nullptr, 0, 0), 0u);
    int32_t length = 0;
    EXPECT_TRUE(Now(media.IsAtEnd("movie", length)));
    EXPECT_EQ(Now(media.GetPercentPlayed("movie")), 100);

    ASSERT_EQ(Now(media.OpenMedia(0, "tone", clips / "tone.mp3", "MPEGVideo")), "Success");
    EXPECT_EQ(Now(media.GetVideoSize("tone", "cx")), -1);
    EXPECT_EQ(Now(media.SetPlaybackSpeed("tone", 40)), "Success");
    EXPECT_EQ(Now(media.GetPlaybackSpeed("tone")), 40);
    EXPECT_EQ(Now(media.CloseAllMedia()), "Success");
    fs::remove_all(dir);
}

}  // namespace zelko
