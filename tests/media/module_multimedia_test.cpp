// ModuleMultimedia on the scripted channel: the exact texts each operation sends (words, blanks,
// letter case, padding and cutting to the fixed buffers, which commands offer the reply buffer),
// and what each returns from the device's codes and replies.
#include <functional>

#include "media/module_multimedia.h"
#include "tests/media/fake_channel.h"

namespace {

using zelko::media::ModuleMultimedia;
using M = ModuleMultimedia;
using F = FakeChannel;

std::string padded(std::string text, std::size_t length) { text.resize(length, ' '); return text; }

const std::string kOpenTail = "type MPEGVideo Alias movie parent 1234 Style 1073741824";
const std::string kLongAlias(250, 'b');
const F::Sent kFormat = {"set movie time format frames", 128}, kLength = {"status movie length", 128};

const std::vector<std::pair<std::function<void(M&, F&)>, std::vector<F::Sent>>> kTexts = {
    {[](M& m, F&) { m.OpenMedia(1234, "movie", "/clips/Trailer one.mpg", "MPEGVideo"); },
     {{padded("open /clips/TRAILE~1.MPG " + kOpenTail, 255), 0}}},
    // A short form that does not fit the 255-character buffer is no name at all.
    {[](M& m, F& f) { f.shortPathResult = 300; m.OpenMedia(1234, "movie", "/deep.mpg", "MPEGVideo"); },
     {{padded("open  " + kOpenTail, 255), 0}}},
    {[](M& m, F&) { m.OpenMedia(-5, kLongAlias, "/x.mpg", "waveaudio"); },
     {{("open /clips/TRAILE~1.MPG type waveaudio Alias " + kLongAlias).substr(0, 255), 0}}},
    {[](M& m, F&) { m.PlayMedia("movie", "10", "20"); }, {{padded("play movie from 10 to 20", 128), 0}}},
    {[](M& m, F& f) { f.answer({"status movie length", 0, "4521"}); m.PlayMedia("movie", "", ""); },
     {kFormat, kLength, {padded("play movie from 0 to 4521", 128), 0}}},
    {[](M& m, F& f) { f.answer({"status movie length", 263}); m.PlayMedia("movie", "250", ""); },
     {kFormat, kLength, {padded("play movie from 250 to -1", 128), 0}}},
    {[](M& m, F&) { m.PlayMedia(kLongAlias, "1", "2"); }, {{("play " + kLongAlias).substr(0, 128), 0}}},
    {[](M& m, F&) { m.PauseMedia("movie"); m.ResumeMedia("movie"); m.StopMedia("movie"); m.CloseAllMedia(); },
     {{"Pause movie", 0}, {"Resume movie", 0}, {"Stop movie", 0}, {"Close All", 0}}},
    {[](M& m, F&) { m.SeekMedia("movie", -7); }, {{"seek movie to -7", 0}, {"Play movie", 0}}},
    {[](M& m, F&) { m.SetPlaybackSpeed("movie", 100); }, {{padded("set movie speed 1000", 128), 0}}},
    {[](M& m, F&) { m.SetPlaybackSpeed("movie", 214748365); }, {}},  // x10 is beyond 32 bits
    {[](M& m, F&) { m.GetPlaybackSpeed("movie"); }, {{padded("status movie speed", 128), 128}}},
    {[](M& m, F&) { m.GetTotalFrames("movie"); }, {kFormat, kLength}},
    {[](M& m, F&) { m.SetVolume("movie", 250); m.GetVolume("movie"); },
     {{"setaudio movie volume to 250", 0}, {"status movie volume", 128}}},
    // The device is left counting frames even when the length query failed.
    {[](M& m, F& f) { f.answer({"status movie length", 263}); m.GetLengthMs("movie"); },
     {{"set movie time format ms", 128}, kLength, {"set movie time format frames", 0}}},
    {[](M& m, F&) { m.GetPercentPlayed("movie"); }, {kFormat, kLength, {"status movie position", 128}}},
    {[](M& m, F&) { m.GetVideoSize("movie", "cY"); }, {{"Where movie destination", 128}}},
    {[](M& m, F&) { int32_t w = 10, h = 20; m.PlaceVideoWindow(9, "movie", -3, 4, w, h); },
     {{"put movie window at -3 4 10 20", 0}}},
    // Either size 0 takes both from the window's rectangle, and hands them back.
    {[](M& m, F& f) {
         int32_t w = 0, h = 200;
         f.rect = zelko::platform::WindowRect{10, 20, 650, 500};
         m.PlaceVideoWindow(9, "movie", 0, 0, w, h);
         EXPECT_EQ(std::pair(w, h), std::pair(640, 480));
     },
     {{"put movie window at 0 0 640 480", 0}}},
    {[](M& m, F&) { int32_t w = 300, h = 0; m.PlaceVideoWindow(9, "movie", 0, 0, w, h); },
     {{"put movie window at 0 0 0 0", 0}}},  // no such window: the rectangle stays 0
};

TEST(ModuleMultimedia, EachOperationSendsExactlyItsTexts)
{
    for (std::size_t i = 0; i < kTexts.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        FakeChannel fake;
        ModuleMultimedia media(fake);
        kTexts[i].first(media, fake);
        EXPECT_EQ(fake.sent, kTexts[i].second);
    }
}

using Call = std::function<std::string(M&)>;
Call size(const char* which) { return [which](M& m) { return std::to_string(m.GetVideoSize("movie", which)); }; }
Call speed(int32_t percent) { return [percent](M& m) { return m.SetPlaybackSpeed("movie", percent); }; }
Call atEnd(int32_t lengthIn)  // "<at end> <length handed back>"
{
    return [lengthIn](M& m) {
        int32_t length = lengthIn;
        bool end = m.IsAtEnd("movie", length);
        return std::to_string(end) + " " + std::to_string(length);
    };
}
const Call speedNow = [](M& m) { return std::to_string(m.GetPlaybackSpeed("movie")); };
const Call frames = [](M& m) { return std::to_string(m.GetTotalFrames("movie")); };
const Call percent = [](M& m) { return std::to_string(m.GetPercentPlayed("movie")); };
const Call fps = [](M& m) { return std::to_string(m.GetFramesPerSecond("movie")); };
const Call seek = [](M& m) { return m.SeekMedia("movie", 5); };
const Call volume = [](M& m) { return std::to_string(m.GetVolume("movie")); };
const std::string len = "status movie length", pos = "status movie position";
const std::string spd = "status movie speed", where = "Where movie destination";

const std::vector<std::tuple<std::vector<F::Answer>, Call, std::string>> kResults = {
    {{{"Pause movie", 0}}, [](M& m) { return m.PauseMedia("movie"); }, "Success"},
    {{{"Stop movie", 263}}, [](M& m) { return m.StopMedia("movie"); }, "error 263"},
    // The two ignored codes: the play after a seek, the time format before the length.
    {{{"seek movie to 5", 282}, {"Play movie", 263}}, seek, "error 282"}, {{{"Play movie", 263}}, seek, "Success"},
    {{{"set movie time format frames", 293}, {len, 0, "4521"}}, frames, "4521"},
    {{{"setaudio movie volume to 1001", 282}}, [](M& m) { return m.SetVolume("movie", 1001); }, "error 282"},
    {{{"status movie volume", 0, "250"}}, volume, "250"}, {{{"status movie volume", 263, "250"}}, volume, "-1"},
    {{}, speed(214748365), "error 282"}, {{}, speed(-214748365), "error 282"}, {{}, speed(214748364), "Success"},
    // Speed in thousandths back to percent, ties to even; lengths likewise.
    {{{spd, 0, "1000"}}, speedNow, "100"}, {{{spd, 0, "400"}}, speedNow, "40"}, {{{spd, 0, "125"}}, speedNow, "12"},
    {{{spd, 0, "135"}}, speedNow, "14"}, {{{spd, 0, ""}}, speedNow, "0"}, {{{spd, 263, "1000"}}, speedNow, "-1"},
    {{{spd, 0, "2147483648"}}, speedNow, "-1"},  // the reply itself is beyond 32 bits
    {{{len, 0, ""}}, frames, "0"}, {{{len, 0, "12.5"}}, frames, "12"}, {{{len, 263, "4521"}}, frames, "-1"},
    {{{len, 0, "2147483648"}}, frames, "-1"}, {{{len, 0, "21474836"}, {pos, 0, "21474836"}}, percent, "100"},
    // Percent played: position * 100 / total, 0 where the arithmetic leaves 32 bits.
    {{{len, 0, "8"}, {pos, 0, "1"}}, percent, "12"}, {{{len, 0, "8"}, {pos, 0, "3"}}, percent, "38"},
    {{{len, 0, "0"}, {pos, 0, "0"}}, percent, "0"}, {{{len, 0, "30000000"}, {pos, 0, "21474837"}}, percent, "0"},
    {{{len, 0, "8"}, {pos, 263}}, percent, "-1"}, {{{len, 263}, {pos, 0, "3"}}, percent, "-1"},
    {{{len, 0, "4294967296"}, {pos, 263}}, percent, "0"}, {{{len, 263}, {pos, 0, "4294967296"}}, percent, "0"},
    // Frames per second: the length is asked for in milliseconds first, then in frames.
    {{{len, 0, "100000"}, {len, 0, "2997"}}, fps, "30"}, {{{len, 0, "10000"}, {len, 0, "125"}}, fps, "12"},
    {{{len, 0, "0"}, {len, 0, "0"}}, fps, "-1"}, {{{len, 0, "2000"}, {len, 263}}, fps, "-1"},
    // The end test compares against the length itself; a length of 0 is queried and handed back.
    {{{len, 0, "7"}, {pos, 0, "99"}}, atEnd(100), "0 100"}, {{{len, 0, "7"}, {pos, 0, "100"}}, atEnd(100), "1 100"},
    {{{len, 0, "7"}, {pos, 0, "101"}}, atEnd(100), "1 100"}, {{{len, 0, "7"}, {pos, 263}}, atEnd(100), "0 100"},
    {{{len, 0, "250"}, {pos, 0, "250"}}, atEnd(0), "1 250"}, {{{len, 0, "0"}, {pos, 0, "0"}}, atEnd(0), "1 0"},
    {{{len, 263}, {pos, 0, "5"}}, atEnd(0), "0 -1"}, {{{len, 0, "7"}, {pos, 0, "5"}}, atEnd(-1), "0 -1"},
    // Video size: "cx" is the third number, "cy" everything after the third blank.
    {{{where, 0, "0 0 352 288"}}, size("cx"), "352"}, {{{where, 0, "0 0 352 288"}}, size("CY"), "288"},
    {{{where, 0, "0 0 352 288"}}, size("w"), "-1"}, {{{where, 346, "0 0 352 288"}}, size("cx"), "-1"},
    {{{where, 0, "0 0 352.5 289.5"}}, size("cx"), "352"}, {{{where, 0, "0 0 352.5 289.5"}}, size("cy"), "290"},
    {{{where, 0, "0 0 320 240 "}}, size("cy"), "240"}, {{{where, 0, "0 0 352"}}, size("cx"), "-1"},
    {{{where, 0, "0 0 352 "}}, size("cy"), "-1"}, {{{where, 0, "0 0 352 288x"}}, size("cy"), "-1"},
    {{{where, 0, "0 0 wide 288"}}, size("cx"), "-1"}, {{{where, 0, "0 0 wide 288"}}, size("cy"), "288"},
    {{{where, 0, "0 0 352 2147483648"}}, size("cy"), "-1"},
};

TEST(ModuleMultimedia, ReturnsFromTheDevicesCodesAndReplies)
{
    for (std::size_t i = 0; i < kResults.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        FakeChannel fake;
        for (const F::Answer& a : std::get<0>(kResults[i]))
            fake.answer(a);
        ModuleMultimedia media(fake);
        EXPECT_EQ(std::get<1>(kResults[i])(media), std::get<2>(kResults[i]));
    }
}

}  // namespace
