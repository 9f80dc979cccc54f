// Status and geometry: percent played, frame rate, end of media, video size, video window.
#include <gtest/gtest.h>

#include "media/module_multimedia.h"
#include "tests/media/fake_channel.h"

namespace {

struct Reply {
    uint32_t code;
    const char* text;
};

struct PercentCase {
    const char* name;
    Reply total;
    Reply position;
    int32_t expected;
};

class PercentPlayed : public testing::TestWithParam<PercentCase> {};

TEST_P(PercentPlayed, FromTotalAndPosition)
{
    FakeChannel fake;
    fake.answer("status movie length", GetParam().total.code, GetParam().total.text);
    fake.answer("status movie position", GetParam().position.code, GetParam().position.text);
    ModuleMultimedia media(fake);
    EXPECT_EQ(media.GetPercentPlayed("movie"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Media, PercentPlayed, testing::Values(
    PercentCase{"OneOfEightIsTwelve", {0, "8"}, {0, "1"}, 12},
    PercentCase{"ThreeOfEightIsThirtyEight", {0, "8"}, {0, "3"}, 38},
    PercentCase{"AtTheEndIsHundred", {0, "4521"}, {0, "4521"}, 100},
    PercentCase{"TotalZeroIsZero", {0, "0"}, {0, "0"}, 0},
    PercentCase{"LargestPositionStillMultiplies", {0, "21474836"}, {0, "21474836"}, 100},
    PercentCase{"ProductBeyondThirtyTwoBitsIsZero", {0, "30000000"}, {0, "21474837"}, 0},
    PercentCase{"FailedPositionIsMinusOne", {0, "8"}, {263, ""}, -1},
    PercentCase{"FailedTotalIsMinusOne", {263, ""}, {0, "3"}, -1},
    PercentCase{"TotalBeyondThirtyTwoBitsIsZero", {0, "4294967296"}, {263, ""}, 0},
    PercentCase{"PositionBeyondThirtyTwoBitsIsZero", {263, ""}, {0, "4294967296"}, 0}),
    [](const testing::TestParamInfo<PercentCase>& info) { return info.param.name; });

TEST(PercentPlayedOrder, TotalBeyondThirtyTwoBitsStopsBeforeThePosition)
{
    FakeChannel fake;
    fake.answerReply("status movie length", "9999999999");
    ModuleMultimedia media(fake);
    EXPECT_EQ(media.GetPercentPlayed("movie"), 0);
    EXPECT_EQ(fake.texts(), (std::vector<std::string>{"set movie time format frames", "status movie length"}));
}

struct FpsCase {
    const char* name;
    Reply lengthMs;
    Reply frames;
    int32_t expected;
};

class FramesPerSecond : public testing::TestWithParam<FpsCase> {};

TEST_P(FramesPerSecond, FramesOverSeconds)
{
    FakeChannel fake;
    // The length is asked for twice: in milliseconds first, then in frames.
    fake.answer("status movie length", GetParam().lengthMs.code, GetParam().lengthMs.text);
    fake.answer("status movie length", GetParam().frames.code, GetParam().frames.text);
    ModuleMultimedia media(fake);
    EXPECT_EQ(media.GetFramesPerSecond("movie"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Media, FramesPerSecond, testing::Values(
    FpsCase{"NtscIsThirty", {0, "100000"}, {0, "2997"}, 30},
    FpsCase{"HalfRoundsToEven", {0, "10000"}, {0, "125"}, 12},
    FpsCase{"TwentyFive", {0, "2000"}, {0, "50"}, 25},
    FpsCase{"ZeroLengthIsMinusOne", {0, "0"}, {0, "0"}, -1},
    FpsCase{"FailedLengthIsMinusOne", {263, ""}, {0, "50"}, -1},
    FpsCase{"FailedFramesIsMinusOne", {0, "2000"}, {263, ""}, -1},
    FpsCase{"ResultBeyondThirtyTwoBitsIsMinusOne", {0, "1"}, {0, "2147483647"}, -1}),
    [](const testing::TestParamInfo<FpsCase>& info) { return info.param.name; });

struct EndCase {
    const char* name;
    int32_t lengthIn;
    Reply queriedLength;
    Reply position;
    bool expected;
    int32_t lengthOut;
    std::size_t commands;
};

class AtEnd : public testing::TestWithParam<EndCase> {};

TEST_P(AtEnd, ComparesThePositionWithTheLengthItself)
{
    FakeChannel fake;
    fake.answer("status movie length", GetParam().queriedLength.code, GetParam().queriedLength.text);
    fake.answer("status movie position", GetParam().position.code, GetParam().position.text);
    ModuleMultimedia media(fake);
    int32_t length = GetParam().lengthIn;
    EXPECT_EQ(media.IsAtEnd("movie", length), GetParam().expected);
    EXPECT_EQ(length, GetParam().lengthOut);
    EXPECT_EQ(fake.sent.size(), GetParam().commands);
    EXPECT_EQ(fake.sent.back().text, "status movie position");
}

INSTANTIATE_TEST_SUITE_P(Media, AtEnd, testing::Values(
    EndCase{"BeforeTheLastFrame", 100, {0, "7"}, {0, "99"}, false, 100, 1},
    EndCase{"AtTheLength", 100, {0, "7"}, {0, "100"}, true, 100, 1},
    EndCase{"BeyondTheLength", 100, {0, "7"}, {0, "101"}, true, 100, 1},
    EndCase{"ZeroLengthIsQueriedAndHandedBack", 0, {0, "250"}, {0, "250"}, true, 250, 3},
    EndCase{"QueriedZeroAtZeroIsTheEnd", 0, {0, "0"}, {0, "0"}, true, 0, 3},
    EndCase{"FailedLengthQueryIsHandedBack", 0, {263, ""}, {0, "5"}, false, -1, 3},
    EndCase{"MinusOneIsNotQueriedAgain", -1, {0, "7"}, {0, "5"}, false, -1, 1},
    EndCase{"FailedPositionIsNotTheEnd", 100, {0, "7"}, {263, ""}, false, 100, 1}),
    [](const testing::TestParamInfo<EndCase>& info) { return info.param.name; });

struct SizeCase {
    const char* name;
    const char* reply;
    const char* which;
    int32_t expected;
};

class VideoSize : public testing::TestWithParam<SizeCase> {};

TEST_P(VideoSize, SlicesTheDestination)
{
    FakeChannel fake;
    fake.answerReply("Where movie destination", GetParam().reply);
    ModuleMultimedia media(fake);
    EXPECT_EQ(media.GetVideoSize("movie", GetParam().which), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Media, VideoSize, testing::Values(
    SizeCase{"Width", "0 0 352 288", "cx", 352},
    SizeCase{"Height", "0 0 352 288", "cy", 288},
    SizeCase{"UpperCaseSelector", "0 0 352 288", "CX", 352},
    SizeCase{"MixedCaseSelector", "0 0 352 288", "cY", 288},
    SizeCase{"OtherSelector", "0 0 352 288", "w", -1},
    SizeCase{"LongerSelector", "0 0 352 288", "cxx", -1},
    SizeCase{"EmptySelector", "0 0 352 288", "", -1},
    SizeCase{"FractionRoundsToEven", "0 0 352.5 288.5", "cx", 352},
    SizeCase{"FractionRoundsUp", "0 0 352.5 289.5", "cy", 290},
    SizeCase{"TrailingBlankAfterHeight", "0 0 320 240 ", "cy", 240},
    SizeCase{"OnlyTwoBlanksWidth", "0 0 352", "cx", -1},
    SizeCase{"OnlyTwoBlanksHeight", "0 0 352", "cy", -1},
    SizeCase{"EmptyReply", "", "cx", -1},
    SizeCase{"NoHeightAfterThirdBlank", "0 0 352 ", "cy", -1},
    SizeCase{"WidthNotANumber", "0 0 wide 288", "cx", -1},
    SizeCase{"HeightStillReadWhenWidthIsNot", "0 0 wide 288", "cy", 288},
    SizeCase{"HeightNotANumber", "0 0 352 288x", "cy", -1},
    SizeCase{"HeightBeyondThirtyTwoBits", "0 0 352 2147483648", "cy", -1},
    SizeCase{"DoubleBlankShiftsTheSlices", "0  0 352 288", "cx", 0}),
    [](const testing::TestParamInfo<SizeCase>& info) { return info.param.name; });

TEST(VideoSizeQuery, FailedQueryIsMinusOne)
{
    FakeChannel fake;
    fake.answer("Where movie destination", 346, "0 0 352 288");
    ModuleMultimedia media(fake);
    EXPECT_EQ(media.GetVideoSize("movie", "cx"), -1);
}

TEST(VideoSizeQuery, EveryCallSendsItsOwnCommand)
{
    FakeChannel fake;
    fake.answerReply("Where movie destination", "0 0 320 240");
    ModuleMultimedia media(fake);
    EXPECT_EQ(media.GetVideoSize("movie", "cx"), 320);
    EXPECT_EQ(media.GetVideoSize("movie", "cy"), 240);
    EXPECT_EQ(fake.sent.size(), 2u);
}

struct PlaceCase {
    const char* name;
    int32_t width, height;
    bool rectFound;
    int32_t widthOut, heightOut;
    bool asksRect;
};

class PlaceWindow : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceWindow, TakesBothSizesFromTheWindowWhenEitherIsZero)
{
    FakeChannel fake;
    fake.scriptWindowRect({10, 20, 650, 500}, GetParam().rectFound);
    fake.answer("put movie window at 0 0 640 480", 0);
    ModuleMultimedia media(fake);
    int32_t width = GetParam().width, height = GetParam().height;
    media.PlaceVideoWindow(4242, "movie", 0, 0, width, height);
    EXPECT_EQ(width, GetParam().widthOut);
    EXPECT_EQ(height, GetParam().heightOut);
    EXPECT_EQ(fake.windowRectAsked, GetParam().asksRect ? std::vector<int64_t>{4242} : std::vector<int64_t>{});
    EXPECT_EQ(fake.sent.at(0).text, "put movie window at 0 0 " + std::to_string(GetParam().widthOut) +
                                        " " + std::to_string(GetParam().heightOut));
}

INSTANTIATE_TEST_SUITE_P(Media, PlaceWindow, testing::Values(
    PlaceCase{"BothZero", 0, 0, true, 640, 480, true},
    PlaceCase{"WidthZeroReplacesBoth", 0, 200, true, 640, 480, true},
    PlaceCase{"HeightZeroReplacesBoth", 300, 0, true, 640, 480, true},
    PlaceCase{"BothGivenKeepsThem", 300, 200, true, 300, 200, false},
    PlaceCase{"NoWindowGivesZeroSizes", 0, 200, false, 0, 0, true}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return info.param.name; });

TEST(PlaceWindowResult, IsTheResultTextOfThePut)
{
    FakeChannel fake;
    fake.answer("put movie window at 0 0 1 1", 346);
    ModuleMultimedia media(fake);
    int32_t width = 1, height = 1;
    EXPECT_EQ(media.PlaceVideoWindow(1, "movie", 0, 0, width, height), "error 346");
}

}  // namespace
