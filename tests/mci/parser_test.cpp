// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/command_parser.h"
#include "platform/mci/command_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelko::mci {
namespace {

TEST(ParseCommand, AnswersEachCommandWithItsCode)
{
    // Each code with the commands that answer it.
    const std::pair<uint32_t, std::vector<std::string>> cases[] = {
        {0,
         {"  play \t movie   from 1  ", "play movie" + std::string(118, ' '), R"(open "")",
          "PLAY Movie FROM 1 To 2 WAIT", "play movie from 1 to 2 wait   ", "setaudio movie volume to 500 off",
          "put movie window at 0 0 640 480", "open a.mp3 type MPEGVideo Alias movie parent 1234 Style 1073741824",
          "close all", "seek movie to start", "pause movie notify"}},
        {267, {"", "   \t "}},
        {294, {R"(open "abc)", R"(open "a"")"}},
        {305, {R"(open "abc"def)"}},
        {261, {"dance movie", "\"play\" movie"}},
        {292, {"open", "play", "open  type MPEGVideo Alias movie", "play from 0"}},
        {259,
         {"play movie backwards", "set movie time frames", "status movie bass", "status movie \"length\"",
          "setaudio movie volume 500", "put movie window 0 0 1 1", "open a.mp3 colour red", "where movie window"}},
        {273, {"play movie from", "set movie time format", "set movie time", "open a.mp3 alias"}},
        {295, {"play movie from 1 from 2"}},
        {270, {"put movie window at 0 0 640", "put movie window at 0 0 640 x"}},
        // Plain decimals only, and none too long for 64 bits.
        {0, {"put m window at -0 -15 1 1"}},
        {270,
         {"put m window at +1 0 1 1", "put m window at 0 0x10 1 1", "put m window at 0 0 1e3 1",
          "put m window at 0 0 1 1234567890123456789"}}};
    for (const auto& [code, commands] : cases) {
        for (const std::string& command : commands) {
            ParsedCommand parsed;
            EXPECT_EQ(parseCommand(command, parsed), code) << command;
        }
    }
}

// The window opens the file an open names for the engine host: it must read the very name the
// engine reads, or the host would find nothing under it.
TEST(FileOpenedBy, NamesWhatTheEngineOpens)
{
    for (const std::string command :
         {"open /tmp/a.mp3 type MPEGVideo Alias movie parent 1 Style 1073741824", R"(OPEN "/my clips/a.mpg" alias m)",
          R"(open "say ""hi"".mp3")", "  open\t/x/y.wav  ", "open a\"b"}) {
        ParsedCommand parsed;
        ASSERT_EQ(parseCommand(command, parsed), 0u) << command;
        EXPECT_EQ(fileOpenedBy(command), parsed.device) << command;
    }
    for (const std::string command : {"play movie", "close all", "open", R"(open "a)", R"("open" a.mp3)"}) {
        EXPECT_EQ(fileOpenedBy(command), std::nullopt) << command;
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
