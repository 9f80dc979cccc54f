#include "platform/mci/command_parser.h"
#include "platform/mci/command_table.h"
#include "tests/mci/engine_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelko::mci {
namespace {

struct TokenCase {
    std::string command;
    uint32_t code;
    std::vector<std::string> words;
};

// CTest names each case after this text.
void PrintTo(const TokenCase& c, std::ostream* os) { *os << test::caseLabel(c.command) << "_" << c.code; }

class TokenizeTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenizeTest, SplitsWords)
{
    std::vector<Token> tokens;
    EXPECT_EQ(tokenize(GetParam().command, tokens), GetParam().code);
    std::vector<std::string> words;
    for (const Token& token : tokens) {
        words.push_back(token.text);
    }
    EXPECT_EQ(words, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, TokenizeTest,
    ::testing::Values(
        TokenCase{"play movie", 0, {"play", "movie"}},
        TokenCase{"  play \t movie   from 1  ", 0, {"play", "movie", "from", "1"}},
        TokenCase{"play movie" + std::string(118, ' '), 0, {"play", "movie"}},
        TokenCase{"", 0, {}},
        TokenCase{"   \t ", 0, {}},
        TokenCase{R"(open "C:\my clips\a.mpg" alias m)", 0, {"open", R"(C:\my clips\a.mpg)", "alias", "m"}},
        TokenCase{R"(open "say ""hi"".mp3")", 0, {"open", R"(say "hi".mp3)"}},
        TokenCase{R"(open "")", 0, {"open", ""}},
        TokenCase{R"(open a"b)", 0, {"open", R"(a"b)"}},
        TokenCase{R"(open "abc)", 294, {}},
        TokenCase{R"(open "a"")", 294, {}},
        TokenCase{R"(open "abc"def)", 305, {}},
        TokenCase{R"(open "abc""")", 0, {"open", "abc\""}}));

struct ParseCase {
    std::string command;
    uint32_t code;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << test::caseLabel(c.command) << "_" << c.code; }

class ParseCommandTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandTest, AnswersCode)
{
    ParsedCommand parsed;
    EXPECT_EQ(parseCommand(GetParam().command, parsed), GetParam().code) << GetParam().command;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ParseCommandTest,
    ::testing::Values(
        ParseCase{"", 267}, ParseCase{"      ", 267}, ParseCase{"dance movie", 261},
        ParseCase{"\"play\" movie", 261}, ParseCase{"open", 292}, ParseCase{"play", 292},
        ParseCase{"PLAY Movie FROM 1 To 2 WAIT", 0}, ParseCase{"play movie backwards", 259},
        ParseCase{"play movie from", 273}, ParseCase{"play movie from 1 from 2", 295},
        ParseCase{"set movie time format frames", 0}, ParseCase{"set movie time format", 273},
        ParseCase{"set movie time frames", 259}, ParseCase{"set movie time", 273},
        ParseCase{"status movie time format", 0}, ParseCase{"status movie volume", 259},
        ParseCase{"put movie window at 0 0 640 480", 0}, ParseCase{"put movie window at 0 0 640", 270},
        ParseCase{"put movie window at 0 0 640 x", 270}, ParseCase{"put movie window 0 0 1 1", 259},
        ParseCase{"open a.mp3 type MPEGVideo Alias movie parent 1234 Style 1073741824", 0},
        ParseCase{"open a.mp3 alias", 273}, ParseCase{"open a.mp3 colour red", 259},
        ParseCase{"close all", 0}, ParseCase{"seek movie to start", 0}, ParseCase{"seek movie", 0},
        ParseCase{"where movie destination", 0}, ParseCase{"where movie window", 259},
        ParseCase{"status movie \"length\"", 259}, ParseCase{"pause movie notify", 0}));

TEST(ParseCommand, KeepsTheFileNameCaseAndReadsValues)
{
    ParsedCommand parsed;
    ASSERT_EQ(parseCommand("OPEN /Tmp/Clip.MPG TYPE mpegvideo ALIAS Movie", parsed), 0u);
    EXPECT_EQ(parsed.verb, findVerb("open"));
    EXPECT_EQ(parsed.device, "/Tmp/Clip.MPG");
    ASSERT_NE(parsed.find("alias"), nullptr);
    EXPECT_EQ(parsed.find("alias")->values, std::vector<std::string>{"Movie"});
    ASSERT_EQ(parseCommand("put m window at 1 -2 3 4", parsed), 0u);
    EXPECT_EQ(parsed.find("window")->values, (std::vector<std::string>{"1", "-2", "3", "4"}));
}

TEST(ParseInteger, AcceptsOnlyPlainDecimals)
{
    const std::vector<std::pair<std::string, bool>> cases{
        {"0", true},  {"-15", true}, {"4521", true}, {"", false},  {"-", false},
        {"+1", false}, {"1.5", false}, {"1e3", false}, {"0x10", false}, {" 1", false},
        {"1234567890123456789", false}};
    for (const auto& [text, valid] : cases) {
        int64_t value = 0;
        EXPECT_EQ(parseInteger(text, value), valid) << text;
    }
    int64_t value = 0;
    ASSERT_TRUE(parseInteger("-4521", value));
    EXPECT_EQ(value, -4521);
}

}  // namespace
}  // namespace zelko::mci
