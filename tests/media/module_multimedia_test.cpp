// SPDX-License-Identifier: GPL-3.0-or-later
// ModuleMultimedia on the scripted channel: the exact texts each operation sends (words, blanks,
// letter case, padding and cutting to the fixed buffers, which commands offer the reply buffer),
// and what each returns from the device's codes and replies.
#include <functional>

#include "media/module_multimedia.h"
#include "tests/media/fake_channel.h"
#include "tests/media/task_now.h"

namespace zelko {

namespace {

using zelko::media::ModuleMultimedia;
using M = ModuleMultimedia;
using F = FakeChannel;

std::string padded(std::string text, std::size_t length)
{
    text.resize(length, ' ');
    return text;
}

const std::string kOpenTail = "type MPEGVideo Alias movie parent 1234 Style 1073741824";
const std::string kLongAlias(250, 'b');
const std::string len = "status movie length", pos = "status movie position";
const std::string spd = "status movie speed", where = "Where movie destination";
const F::Sent kFormat = {"set movie time format frames", 128}, kLength = {len, 128};

// A command padded to the 128-character buffer, offered no reply buffer.
F::Sent in128(const std::string& text)
{
    return {padded(text, 128), 0};
}

using Op = std::function<void(M&, F&)>;
// PlaceVideoWindow on window 9 at x, y, with the size it is given.
Op place(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return [=](M& m, F&) {
        int32_t w = width, h = height;
        Now(m.PlaceVideoWindow(9, "movie", x, y, w, h));
    };
}

struct TextCase {
    const char* name;
    Op call;
    std::vector<F::Sent> sent;
    std::vector<F::Answer> answers = {};  // scripted before the call
};

const TextCase kTexts[] = {
    {"OpenNamesTheShortPath",
     [](M& m, F&) { Now(m.OpenMedia(1234, "movie", "/clips/Trailer one.mpg", "MPEGVideo")); },
     {{padded("open /clips/TRAILE~1.MPG " + kOpenTail, 255), 0}}},
    // A short form that does not fit the 255-character buffer is no name at all.
    {"OpenWithAShortPathTooLong",
     [](M& m, F& f) {
         f.shortPathResult = 300;
         Now(m.OpenMedia(1234, "movie", "/deep.mpg", "MPEGVideo"));
     },
     {{padded("open  " + kOpenTail, 255), 0}}},
    {"OpenCutTo255",
     [](M& m, F&) { Now(m.OpenMedia(-5, kLongAlias, "/x.mpg", "waveaudio")); },
     {{("open /clips/TRAILE~1.MPG type waveaudio Alias " + kLongAlias).substr(0, 255), 0}}},
    {"PlayARange", [](M& m, F&) { Now(m.PlayMedia("movie", "10", "20")); }, {in128("play movie from 10 to 20")}},
    {"PlayToTheLength",
     [](M& m, F&) { Now(m.PlayMedia("movie", "", "")); },
     {kFormat, kLength, in128("play movie from 0 to 4521")},
     {{len, 0, "4521"}}},
    {"PlayWithAFailedLength",
     [](M& m, F&) { Now(m.PlayMedia("movie", "250", "")); },
     {kFormat, kLength, in128("play movie from 250 to -1")},
     {{len, 263}}},
    {"PlayCutTo128",
     [](M& m, F&) { Now(m.PlayMedia(kLongAlias, "1", "2")); },
     {{("play " + kLongAlias).substr(0, 128), 0}}},
    {"PauseResumeStopCloseAll",
     [](M& m, F&) {
         Now(m.PauseMedia("movie"));
         Now(m.ResumeMedia("movie"));
         Now(m.StopMedia("movie"));
         Now(m.CloseAllMedia());
     },
     {{"Pause movie", 0}, {"Resume movie", 0}, {"Stop movie", 0}, {"Close All", 0}}},
    {"SeekPlaysOn", [](M& m, F&) { Now(m.SeekMedia("movie", -7)); }, {{"seek movie to -7", 0}, {"Play movie", 0}}},
    {"SpeedInThousandths", [](M& m, F&) { Now(m.SetPlaybackSpeed("movie", 100)); }, {in128("set movie speed 1000")}},
    {"SpeedBeyond32BitsSendsNothing", [](M& m, F&) { Now(m.SetPlaybackSpeed("movie", 214748365)); }, {}},
    {"SpeedQuery", [](M& m, F&) { Now(m.GetPlaybackSpeed("movie")); }, {{padded(spd, 128), 128}}},
    {"VolumeSetAndRead",
     [](M& m, F&) {
         Now(m.SetVolume("movie", 250));
         Now(m.GetVolume("movie"));
     },
     {{"setaudio movie volume to 250", 0}, {"status movie volume", 128}}},
    // The device is left counting frames even when the length query failed.
    {"LengthInMsBackToFrames",
     [](M& m, F&) { Now(m.GetLengthMs("movie")); },
     {{"set movie time format ms", 128}, kLength, {"set movie time format frames", 0}},
     {{len, 263}}},
    {"PercentPlayed", [](M& m, F&) { Now(m.GetPercentPlayed("movie")); }, {kFormat, kLength, {pos, 128}}},
    {"VideoSize", [](M& m, F&) { Now(m.GetVideoSize("movie", "cY")); }, {{where, 128}}},
    {"PlaceVideoWindow", place(-3, 4, 10, 20), {{"put movie window at -3 4 10 20", 0}}},
    // Either size 0 takes both from the window's rectangle, and hands them back.
    {"PlaceVideoWindowSizedToTheWindow",
     [](M& m, F& f) {
         int32_t w = 0, h = 200;
         f.rect = zelko::platform::WindowRect{10, 20, 650, 500};
         Now(m.PlaceVideoWindow(9, "movie", 0, 0, w, h));
         EXPECT_EQ(std::pair(w, h), std::pair(640, 480));
     },
     {{"put movie window at 0 0 640 480", 0}}},
    // No such window: the rectangle stays 0.
    {"PlaceVideoWindowWithoutAWindow", place(0, 0, 300, 0), {{"put movie window at 0 0 0 0", 0}}},
};

TEST(ModuleMultimedia, EachOperationSendsExactlyItsTexts)
{
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(c.name);
        FakeChannel fake;
        for (const F::Answer& a : c.answers) {
            fake.answer(a);
        }
        ModuleMultimedia media(fake);
        c.call(media, fake);
        EXPECT_EQ(fake.sent, c.sent);
    }
}

using Call = std::function<std::string(M&)>;
Call size(const char* which)
{
    return [which](M& m) { return std::to_string(Now(m.GetVideoSize("movie", which))); };
}
Call speed(int32_t percent)
{
    return [percent](M& m) { return Now(m.SetPlaybackSpeed("movie", percent)); };
}
Call atEnd(int32_t lengthIn)  // "<at end> <length handed back>"
{
    return [lengthIn](M& m) {
        int32_t length = lengthIn;
        bool end = Now(m.IsAtEnd("movie", length));
        return std::to_string(end) + " " + std::to_string(length);
    };
}
const Call speedNow = [](M& m) { return std::to_string(Now(m.GetPlaybackSpeed("movie"))); };
const Call frames = [](M& m) { return std::to_string(Now(m.GetTotalFrames("movie"))); };
const Call percent = [](M& m) { return std::to_string(Now(m.GetPercentPlayed("movie"))); };
const Call fps = [](M& m) { return std::to_string(Now(m.GetFramesPerSecond("movie"))); };
const Call seek = [](M& m) { return Now(m.SeekMedia("movie", 5)); };
const Call volume = [](M& m) { return std::to_string(Now(m.GetVolume("movie"))); };
const Call playing = [](M& m) { return std::to_string(Now(m.IsPlaying("movie"))); };
struct ResultCase {
    const char* name;
    std::vector<F::Answer> answers;
    Call call;
    std::string result;
};

const ResultCase kResults[] = {
    {"Success", {{"Pause movie", 0}}, [](M& m) { return Now(m.PauseMedia("movie")); }, "Success"},
    {"Failure", {{"Stop movie", 263}}, [](M& m) { return Now(m.StopMedia("movie")); }, "error 263"},
    // The two ignored codes: the play after a seek, the time format before the length.
    {"SeekFails", {{"seek movie to 5", 282}, {"Play movie", 263}}, seek, "error 282"},
    {"PlayAfterSeekIgnored", {{"Play movie", 263}}, seek, "Success"},
    {"FramesFormatIgnored", {{"set movie time format frames", 293}, {len, 0, "4521"}}, frames, "4521"},
    {"SpeedOverflows", {}, speed(214748365), "error 282"},
    {"SpeedUnderflows", {}, speed(-214748365), "error 282"},
    {"SpeedAtTheLimit", {}, speed(214748364), "Success"},
    {"VolumeBeyondTheRange",
     {{"setaudio movie volume to 1001", 282}},
     [](M& m) { return Now(m.SetVolume("movie", 1001)); },
     "error 282"},
    {"VolumeRead", {{"status movie volume", 0, "250"}}, volume, "250"},
    {"VolumeFails", {{"status movie volume", 263, "250"}}, volume, "-1"},
    // Speed in thousandths back to percent, ties to even; lengths likewise.
    {"SpeedInPercent", {{spd, 0, "400"}}, speedNow, "40"},
    {"SpeedTieDown", {{spd, 0, "125"}}, speedNow, "12"},
    {"SpeedTieUp", {{spd, 0, "135"}}, speedNow, "14"},
    {"SpeedEmpty", {{spd, 0, ""}}, speedNow, "0"},
    {"SpeedFails", {{spd, 263, "1000"}}, speedNow, "-1"},
    {"SpeedReplyBeyond32Bits", {{spd, 0, "2147483648"}}, speedNow, "-1"},
    {"FramesEmpty", {{len, 0, ""}}, frames, "0"},
    {"FramesTie", {{len, 0, "12.5"}}, frames, "12"},
    {"FramesFail", {{len, 263, "4521"}}, frames, "-1"},
    {"FramesBeyond32Bits", {{len, 0, "2147483648"}}, frames, "-1"},
    // Percent played: position * 100 / total, 0 where the arithmetic leaves 32 bits.
    {"PercentAtThe32BitEdge", {{len, 0, "21474836"}, {pos, 0, "21474836"}}, percent, "100"},
    {"PercentTieDown", {{len, 0, "8"}, {pos, 0, "1"}}, percent, "12"},
    {"PercentTieUp", {{len, 0, "8"}, {pos, 0, "3"}}, percent, "38"},
    {"PercentOfNothing", {{len, 0, "0"}, {pos, 0, "0"}}, percent, "0"},
    {"PercentOverflows", {{len, 0, "30000000"}, {pos, 0, "21474837"}}, percent, "0"},
    {"PercentPositionFails", {{len, 0, "8"}, {pos, 263}}, percent, "-1"},
    {"PercentLengthFails", {{len, 263}, {pos, 0, "3"}}, percent, "-1"},
    {"PercentLengthTooLarge", {{len, 0, "4294967296"}, {pos, 263}}, percent, "0"},
    {"PercentPositionTooLarge", {{len, 263}, {pos, 0, "4294967296"}}, percent, "0"},
    // Frames per second: the length is asked for in milliseconds first, then in frames.
    {"FpsRounded", {{len, 0, "100000"}, {len, 0, "2997"}}, fps, "30"},
    {"FpsTie", {{len, 0, "10000"}, {len, 0, "125"}}, fps, "12"},
    {"FpsOfNoLength", {{len, 0, "0"}, {len, 0, "0"}}, fps, "-1"},
    {"FpsFramesFail", {{len, 0, "2000"}, {len, 263}}, fps, "-1"},
    // The end test compares against the length itself; a length of 0 is queried and handed back.
    {"BeforeTheEnd", {{len, 0, "7"}, {pos, 0, "99"}}, atEnd(100), "0 100"},
    {"AtTheEnd", {{len, 0, "7"}, {pos, 0, "100"}}, atEnd(100), "1 100"},
    {"PastTheEnd", {{len, 0, "7"}, {pos, 0, "101"}}, atEnd(100), "1 100"},
    {"EndPositionFails", {{len, 0, "7"}, {pos, 263}}, atEnd(100), "0 100"},
    {"EndLengthQueried", {{len, 0, "250"}, {pos, 0, "250"}}, atEnd(0), "1 250"},
    {"EndOfNothing", {{len, 0, "0"}, {pos, 0, "0"}}, atEnd(0), "1 0"},
    {"EndLengthFails", {{len, 263}, {pos, 0, "5"}}, atEnd(0), "0 -1"},
    {"EndLengthUnknown", {{len, 0, "7"}, {pos, 0, "5"}}, atEnd(-1), "0 -1"},
    // Playing only when the device answers so.
    {"Playing", {{"status movie mode", 0, "playing"}}, playing, "1"},
    {"PausedIsNotPlaying", {{"status movie mode", 0, "paused"}}, playing, "0"},
    {"ModeFails", {{"status movie mode", 263, "playing"}}, playing, "0"},
    // Video size: "cx" is the third number, "cy" everything after the third blank.
    {"Width", {{where, 0, "0 0 352 288"}}, size("cx"), "352"},
    {"HeightAnyCase", {{where, 0, "0 0 352 288"}}, size("CY"), "288"},
    {"NeitherWidthNorHeight", {{where, 0, "0 0 352 288"}}, size("w"), "-1"},
    {"WhereFails", {{where, 346, "0 0 352 288"}}, size("cx"), "-1"},
    {"WidthTie", {{where, 0, "0 0 352.5 289.5"}}, size("cx"), "352"},
    {"HeightTie", {{where, 0, "0 0 352.5 289.5"}}, size("cy"), "290"},
    {"HeightTrailingBlank", {{where, 0, "0 0 320 240 "}}, size("cy"), "240"},
    {"WidthWithoutFourthNumber", {{where, 0, "0 0 352"}}, size("cx"), "-1"},
    {"HeightEmpty", {{where, 0, "0 0 352 "}}, size("cy"), "-1"},
    {"HeightNotANumber", {{where, 0, "0 0 352 288x"}}, size("cy"), "-1"},
    {"WidthNotANumber", {{where, 0, "0 0 wide 288"}}, size("cx"), "-1"},
    {"HeightBesideAWordWidth", {{where, 0, "0 0 wide 288"}}, size("cy"), "288"},
    {"HeightBeyond32Bits", {{where, 0, "0 0 352 2147483648"}}, size("cy"), "-1"},
};

TEST(ModuleMultimedia, ReturnsFromTheDevicesCodesAndReplies)
{
    for (const ResultCase& c : kResults) {
        SCOPED_TRACE(c.name);
        FakeChannel fake;
        for (const F::Answer& a : c.answers) {
            fake.answer(a);
        }
        ModuleMultimedia media(fake);
        EXPECT_EQ(c.call(media), c.result);
    }
}

}  // namespace

}  // namespace zelko
