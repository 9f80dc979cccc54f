#include "platform/mci/command_parser.h"
#include "platform/mci/command_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelko::mci {
namespace {

TEST(ParseCommand, AnswersEachCommandWithItsCode)
{
    const std::vector<std::pair<std::string, uint32_t>> cases{
        {"", 267},
        {"   \t ", 267},
        {"  play \t movie   from 1  ", 0},
        {"play movie" + std::string(118, ' '), 0},
        {R"(open "abc)", 294},
        {R"(open "a"")", 294},
        {R"(open "abc"def)", 305},
        {R"(open "")", 0},
        {"dance movie", 261},
        {"\"play\" movie", 261},
        {"open", 292},
        {"play", 292},
        {"open  type MPEGVideo Alias movie", 292},
        {"play from 0", 292},
        {"PLAY Movie FROM 1 To 2 WAIT", 0},
        {"play movie from 1 to 2 wait   ", 0},
        {"play movie backwards", 259},
        {"play movie from", 273},
        {"play movie from 1 from 2", 295},
        {"set movie time format", 273},
        {"set movie time frames", 259},
        {"set movie time", 273},
        {"status movie bass", 259},
        {"status movie \"length\"", 259},
        {"setaudio movie volume to 500 off", 0},
        {"setaudio movie volume 500", 259},
        {"put movie window at 0 0 640 480", 0},
        {"put movie window at 0 0 640", 270},
        {"put movie window at 0 0 640 x", 270},
        {"put movie window 0 0 1 1", 259},
        {"open a.mp3 type MPEGVideo Alias movie parent 1234 Style 1073741824", 0},
        {"open a.mp3 alias", 273},
        {"open a.mp3 colour red", 259},
        {"close all", 0},
        {"seek movie to start", 0},
        {"where movie window", 259},
        {"pause movie notify", 0},
        // Plain decimals only, and none too long for 64 bits.
        {"put m window at -0 -15 1 1", 0},
        {"put m window at +1 0 1 1", 270},
        {"put m window at 0 0x10 1 1", 270},
        {"put m window at 0 0 1e3 1", 270},
        {"put m window at 0 0 1 1234567890123456789", 270}};
    for (const auto& [command, code] : cases) {
        ParsedCommand parsed;
        EXPECT_EQ(parseCommand(command, parsed), code) << command;
    }
}

TEST(ParseCommand, ReadsQuotedNamesAndValues)
{
    for (const auto& [command, device] : std::vector<std::pair<std::string, std::string>>{
             {R"(open "C:\my clips\a.mpg" alias m)", R"(C:\my clips\a.mpg)"},
             {R"(open a"b)", R"(a"b)"},
             {R"(open "say ""hi"".mp3")", R"(say "hi".mp3)"},
             {R"(open "abc""")", "abc\""}}) {
        ParsedCommand parsed;
        ASSERT_EQ(parseCommand(command, parsed), 0u) << command;
        EXPECT_EQ(parsed.device, device);
    }
    ParsedCommand parsed;
    ASSERT_EQ(parseCommand("OPEN /Tmp/Clip.MPG TYPE mpegvideo ALIAS Movie", parsed), 0u);
    EXPECT_EQ(parsed.verb, findVerb("open"));
    EXPECT_EQ(parsed.device, "/Tmp/Clip.MPG");
    ASSERT_NE(parsed.find("alias"), nullptr);
    EXPECT_EQ(parsed.find("alias")->values, std::vector<std::string>{"Movie"});
    ASSERT_EQ(parseCommand("put m window at 1 -2 3 4", parsed), 0u);
    EXPECT_EQ(parsed.find("window")->values, (std::vector<std::string>{"1", "-2", "3", "4"}));
}

// A verb runs through its own handler or through one on each of its items, never both and never
// neither: a row without one would be called through a null pointer.
TEST(VerbTable, EveryCommandReachesExactlyOneHandler)
{
    for (const VerbEntry& verb : allVerbs()) {
        bool hasItems = false;
        for (const KeywordRule& rule : verb.keywords) {
            hasItems = hasItems || rule.role == Role::Item;
            EXPECT_EQ(rule.handler != nullptr, rule.role == Role::Item) << verb.name << " " << rule.name;
        }
        EXPECT_EQ((verb.onDevice != nullptr) + (verb.onSession != nullptr) + hasItems, 1) << verb.name;
    }
}

}  // namespace
}  // namespace zelko::mci
