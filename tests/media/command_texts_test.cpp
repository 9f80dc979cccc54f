// The exact texts every operation sends: words, blanks, letter case, padding and cutting, and
// which commands offer the 128-character reply buffer.
#include <gtest/gtest.h>

#include <functional>

#include "media/module_multimedia.h"
#include "tests/media/fake_channel.h"

namespace {

std::string padded(const std::string& text, std::size_t length)
{
    std::string result = text;
    result.resize(length, ' ');
    return result;
}

struct Expected {
    std::string text;
    uint32_t replyLength;  // 128 where the reply buffer is offered, else 0
};

struct TextCase {
    const char* name;
    std::function<void(FakeChannel&)> script;
    std::function<void(ModuleMultimedia&)> call;
    std::vector<Expected> expected;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

const std::string kLongAlias(140, 'a');

std::vector<TextCase> textCases()
{
    auto none = [](FakeChannel&) {};
    auto shortPath = [](FakeChannel& f) { f.scriptShortPath("/clips/TRAILE~1.MPG", 19); };
    return {
        {"OpenMedia", shortPath,
         [](ModuleMultimedia& m) { m.OpenMedia(1234, "movie", "/clips/Trailer one.mpg", "MPEGVideo"); },
         {{padded("open /clips/TRAILE~1.MPG type MPEGVideo Alias movie parent 1234 Style 1073741824", 255), 0}}},
        {"OpenMedia_NoShortPathLeavesTwoBlanks", none,
         [](ModuleMultimedia& m) { m.OpenMedia(1234, "movie", "/missing.mpg", "MPEGVideo"); },
         {{padded("open  type MPEGVideo Alias movie parent 1234 Style 1073741824", 255), 0}}},
        {"OpenMedia_ShortPathTooLongForTheBufferIsNoPath",
         [](FakeChannel& f) { f.scriptShortPath("", 300); },
         [](ModuleMultimedia& m) { m.OpenMedia(7, "movie", "/deep/file.mpg", "MPEGVideo"); },
         {{padded("open  type MPEGVideo Alias movie parent 7 Style 1073741824", 255), 0}}},
        {"OpenMedia_LongCommandIsCutTo255", shortPath,
         [](ModuleMultimedia& m) { m.OpenMedia(-5, std::string(250, 'b'), "/x.mpg", "waveaudio"); },
         {{("open /clips/TRAILE~1.MPG type waveaudio Alias " + std::string(250, 'b')).substr(0, 255), 0}}},
        {"PlayMedia_BothGivenSendsNoLengthQuery", none,
         [](ModuleMultimedia& m) { m.PlayMedia("movie", "10", "20"); },
         {{padded("play movie from 10 to 20", 128), 0}}},
        {"PlayMedia_EmptyEndAsksForLength",
         [](FakeChannel& f) { f.answerReply("status movie length", "4521"); },
         [](ModuleMultimedia& m) { m.PlayMedia("movie", "", ""); },
         {{"set movie time format frames", 128}, {"status movie length", 128},
          {padded("play movie from 0 to 4521", 128), 0}}},
        {"PlayMedia_StartKeptEndAskedFor",
         [](FakeChannel& f) { f.answerReply("status movie length", "900"); },
         [](ModuleMultimedia& m) { m.PlayMedia("movie", "250", ""); },
         {{"set movie time format frames", 128}, {"status movie length", 128},
          {padded("play movie from 250 to 900", 128), 0}}},
        {"PlayMedia_FailedLengthQueryPlaysToMinusOne",
         [](FakeChannel& f) { f.answer("status movie length", 263); },
         [](ModuleMultimedia& m) { m.PlayMedia("movie", "", ""); },
         {{"set movie time format frames", 128}, {"status movie length", 128},
          {padded("play movie from 0 to -1", 128), 0}}},
        {"PlayMedia_ValuesPassedUnchecked", none,
         [](ModuleMultimedia& m) { m.PlayMedia("movie", "x y", "-3"); },
         {{padded("play movie from x y to -3", 128), 0}}},
        {"PlayMedia_LongCommandIsCutTo128", none,
         [](ModuleMultimedia& m) { m.PlayMedia(kLongAlias, "1", "2"); },
         {{("play " + kLongAlias).substr(0, 128), 0}}},
        {"PauseMedia", none, [](ModuleMultimedia& m) { m.PauseMedia("movie"); }, {{"Pause movie", 0}}},
        {"ResumeMedia", none, [](ModuleMultimedia& m) { m.ResumeMedia("movie"); }, {{"Resume movie", 0}}},
        {"StopMedia", none, [](ModuleMultimedia& m) { m.StopMedia("movie"); }, {{"Stop movie", 0}}},
        {"CloseMedia", none, [](ModuleMultimedia& m) { m.CloseMedia("movie"); }, {{"Close movie", 0}}},
        {"CloseMedia_LongAliasNotCut", none, [](ModuleMultimedia& m) { m.CloseMedia(kLongAlias); },
         {{"Close " + kLongAlias, 0}}},
        {"CloseAllMedia", none, [](ModuleMultimedia& m) { m.CloseAllMedia(); }, {{"Close All", 0}}},
        {"SeekMedia_PlaysOn", none, [](ModuleMultimedia& m) { m.SeekMedia("movie", 250); },
         {{"seek movie to 250", 0}, {"Play movie", 0}}},
        {"SeekMedia_Negative", none, [](ModuleMultimedia& m) { m.SeekMedia("movie", -7); },
         {{"seek movie to -7", 0}, {"Play movie", 0}}},
        {"SetPlaybackSpeed_100", none, [](ModuleMultimedia& m) { m.SetPlaybackSpeed("movie", 100); },
         {{padded("set movie speed 1000", 128), 0}}},
        {"SetPlaybackSpeed_40", none, [](ModuleMultimedia& m) { m.SetPlaybackSpeed("movie", 40); },
         {{padded("set movie speed 400", 128), 0}}},
        {"SetPlaybackSpeed_Negative", none, [](ModuleMultimedia& m) { m.SetPlaybackSpeed("movie", -5); },
         {{padded("set movie speed -50", 128), 0}}},
        {"SetPlaybackSpeed_BeyondThirtyTwoBitsSendsNothing", none,
         [](ModuleMultimedia& m) { m.SetPlaybackSpeed("movie", 214748365); }, {}},
        {"GetPlaybackSpeed", none, [](ModuleMultimedia& m) { m.GetPlaybackSpeed("movie"); },
         {{padded("status movie speed", 128), 128}}},
        {"GetTotalFrames", none, [](ModuleMultimedia& m) { m.GetTotalFrames("movie"); },
         {{"set movie time format frames", 128}, {"status movie length", 128}}},
        {"GetLengthMs_EndsInFrames", none, [](ModuleMultimedia& m) { m.GetLengthMs("movie"); },
         {{"set movie time format ms", 128}, {"status movie length", 128},
          {"set movie time format frames", 0}}},
        {"GetLengthMs_EndsInFramesAfterFailedQuery",
         [](FakeChannel& f) { f.answer("status movie length", 263); },
         [](ModuleMultimedia& m) { m.GetLengthMs("movie"); },
         {{"set movie time format ms", 128}, {"status movie length", 128},
          {"set movie time format frames", 0}}},
        {"GetCurrentFrame", none, [](ModuleMultimedia& m) { m.GetCurrentFrame("movie"); },
         {{"status movie position", 128}}},
        {"GetPercentPlayed", none, [](ModuleMultimedia& m) { m.GetPercentPlayed("movie"); },
         {{"set movie time format frames", 128}, {"status movie length", 128},
          {"status movie position", 128}}},
        {"GetFramesPerSecond_LengthInMsFirst", none,
         [](ModuleMultimedia& m) { m.GetFramesPerSecond("movie"); },
         {{"set movie time format ms", 128}, {"status movie length", 128},
          {"set movie time format frames", 0}, {"set movie time format frames", 128},
          {"status movie length", 128}}},
        {"GetVideoSize", none, [](ModuleMultimedia& m) { m.GetVideoSize("movie", "cx"); },
         {{"Where movie destination", 128}}},
        {"GetVideoSize_OtherSelectorSendsNothing", none,
         [](ModuleMultimedia& m) { m.GetVideoSize("movie", "cz"); }, {}},
        {"PlaceVideoWindow", none,
         [](ModuleMultimedia& m) {
             int32_t w = 640, h = 480;
             m.PlaceVideoWindow(99, "movie", 0, 0, w, h);
         },
         {{"put movie window at 0 0 640 480", 0}}},
        {"PlaceVideoWindow_NegativePlace", none,
         [](ModuleMultimedia& m) {
             int32_t w = 10, h = 20;
             m.PlaceVideoWindow(99, "movie", -3, 4, w, h);
         },
         {{"put movie window at -3 4 10 20", 0}}},
    };
}

class CommandTexts : public testing::TestWithParam<TextCase> {};

TEST_P(CommandTexts, SendsExactlyTheTabledTexts)
{
    FakeChannel fake;
    GetParam().script(fake);
    ModuleMultimedia media(fake);
    GetParam().call(media);
    ASSERT_EQ(fake.sent.size(), GetParam().expected.size());
    for (std::size_t i = 0; i < fake.sent.size(); ++i) {
        const FakeChannel::Sent& s = fake.sent[i];
        const Expected& e = GetParam().expected[i];
        EXPECT_EQ(s.text, e.text) << "command " << i;
        EXPECT_EQ(s.replyLength, e.replyLength) << "command " << i << ": " << s.text;
        EXPECT_EQ(s.replyBuffer, e.replyLength != 0) << "command " << i << ": " << s.text;
        EXPECT_EQ(s.callbackWindow, 0u) << "command " << i << ": " << s.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Media, CommandTexts, testing::ValuesIn(textCases()),
                         [](const testing::TestParamInfo<TextCase>& info) { return info.param.name; });

TEST(OpenMedia, AsksForTheShortFormInA255CharacterBuffer)
{
    FakeChannel fake;
    ModuleMultimedia media(fake);
    media.OpenMedia(1, "movie", "/a b/c.mpg", "MPEGVideo");
    ASSERT_EQ(fake.shortPathAsked.size(), 1u);
    EXPECT_EQ(fake.shortPathAsked[0], "/a b/c.mpg");
    EXPECT_EQ(fake.shortPathLengths[0], 255u);
}

}  // namespace
