// What the device commands and the two numeric queries return: result texts, ignored codes,
// speed rounding, and the -1 rules.
#include <gtest/gtest.h>

#include "media/module_multimedia.h"
#include "tests/media/fake_channel.h"

namespace {

class DeviceResults : public testing::Test {
protected:
    FakeChannel fake;
    ModuleMultimedia media{fake};
};

TEST_F(DeviceResults, CodeZeroIsSuccessOtherCodesTheirDescription)
{
    fake.answer("Pause movie", 0);
    fake.answer("Stop movie", 263);
    EXPECT_EQ(media.PauseMedia("movie"), "Success");
    EXPECT_EQ(media.StopMedia("movie"), "error 263");
    EXPECT_EQ(fake.errorLengths, std::vector<uint32_t>{128});
}

TEST_F(DeviceResults, SeekMedia_FailedSeekStillPlaysOnAndReportsTheSeek)
{
    fake.answer("seek movie to 99999", 282);
    fake.answer("Play movie", 263);
    EXPECT_EQ(media.SeekMedia("movie", 99999), "error 282");
    EXPECT_EQ(fake.texts(), (std::vector<std::string>{"seek movie to 99999", "Play movie"}));
}

TEST_F(DeviceResults, SeekMedia_IgnoresThePlayCode)
{
    fake.answer("Play movie", 263);
    EXPECT_EQ(media.SeekMedia("movie", 5), "Success");
}

TEST_F(DeviceResults, SetPlaybackSpeed_BeyondThirtyTwoBitsIsOutOfRange)
{
    EXPECT_EQ(media.SetPlaybackSpeed("movie", 214748365), "error 282");
    EXPECT_EQ(media.SetPlaybackSpeed("movie", -214748365), "error 282");
    EXPECT_TRUE(fake.sent.empty());
    EXPECT_EQ(media.SetPlaybackSpeed("movie", 214748364), "Success");
    EXPECT_EQ(fake.sent.back().text.substr(0, 26), "set movie speed 2147483640");
}

TEST_F(DeviceResults, GetTotalFrames_IgnoresTheTimeFormatCode)
{
    fake.answer("set movie time format frames", 293);
    fake.answerReply("status movie length", "4521");
    EXPECT_EQ(media.GetTotalFrames("movie"), 4521);
}

TEST_F(DeviceResults, OpenMedia_ReturnsTheDescription)
{
    fake.scriptShortPath("/x.mpg", 6);
    fake.answer("open /x.mpg type MPEGVideo Alias movie parent 3 Style 1073741824", 275);
    EXPECT_EQ(media.OpenMedia(3, "movie", "/x.mpg", "MPEGVideo"), "error 275");
}

struct ReplyCase {
    const char* reply;
    uint32_t code;
    int32_t expected;
};

class SpeedReplies : public DeviceResults, public testing::WithParamInterface<ReplyCase> {};

TEST_P(SpeedReplies, GetPlaybackSpeed)
{
    fake.answer("status movie speed", GetParam().code, GetParam().reply);
    EXPECT_EQ(media.GetPlaybackSpeed("movie"), GetParam().expected) << GetParam().reply;
}

INSTANTIATE_TEST_SUITE_P(Media, SpeedReplies, testing::Values(
    ReplyCase{"1000", 0, 100}, ReplyCase{"400", 0, 40},
    ReplyCase{"125", 0, 12},   // 12.5 goes to the even neighbour
    ReplyCase{"135", 0, 14},   // 13.5 likewise
    ReplyCase{"126", 0, 13}, ReplyCase{"-15", 0, -2}, ReplyCase{"  250", 0, 25},
    ReplyCase{"", 0, 0}, ReplyCase{"fast", 0, 0}, ReplyCase{"1000", 263, -1},
    ReplyCase{"2147483647", 0, 214748365}, ReplyCase{"2147483648", 0, -1},
    ReplyCase{"99999999999999999999999", 0, -1}));

class LengthReplies : public DeviceResults, public testing::WithParamInterface<ReplyCase> {};

TEST_P(LengthReplies, GetTotalFrames)
{
    fake.answer("status movie length", GetParam().code, GetParam().reply);
    EXPECT_EQ(media.GetTotalFrames("movie"), GetParam().expected) << GetParam().reply;
}

INSTANTIATE_TEST_SUITE_P(Media, LengthReplies, testing::Values(
    ReplyCase{"4521", 0, 4521}, ReplyCase{"", 0, 0},  // an empty reply is 0, not a failure
    ReplyCase{"   77", 0, 77}, ReplyCase{"12.5", 0, 12}, ReplyCase{"13.5", 0, 14},
    ReplyCase{"12abc", 0, 12}, ReplyCase{"abc12", 0, 0}, ReplyCase{"-3", 0, -3},
    ReplyCase{"4521", 263, -1}, ReplyCase{"2147483647", 0, 2147483647},
    ReplyCase{"2147483648", 0, -1}, ReplyCase{"-2147483649", 0, -1}));

}  // namespace
