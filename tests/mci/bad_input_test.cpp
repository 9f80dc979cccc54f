// Files that do not play and commands that make no sense get their codes, and the engine goes on.
#include "tests/mci/engine_fixture.h"

#include <cstring>

namespace zelko::mci::test {
namespace {

using namespace std::chrono_literals;

struct BadFileCase {
    std::string file;
    uint32_t code;
};

void PrintTo(const BadFileCase& c, std::ostream* os) { *os << caseLabel(c.file); }

class BadFileTest : public EngineTest, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadFileTest, FailsBoundedAndCreatesNoAlias)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(code("open " + clip(GetParam().file) + " alias bad"), GetParam().code);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 7s);
    EXPECT_EQ(code("status bad mode"), 263u);
    char text[128];
    ASSERT_TRUE(m_engine.getErrorString(GetParam().code, text, sizeof text));
    EXPECT_LE(std::strlen(text), 127u);
    // The engine keeps working, and the alias is free.
    open("tone.wav", "bad");
    EXPECT_EQ(number("status bad length"), 2000);
}

INSTANTIATE_TEST_SUITE_P(Files, BadFileTest,
                         ::testing::Values(BadFileCase{"missing.mp3", 275}, BadFileCase{"empty.mp3", 296},
                                           BadFileCase{"text.mp3", 296}, BadFileCase{"truncated.mpg", 296},
                                           BadFileCase{".", 296}));

TEST_F(EngineTest, UnplayableFileSaysWhyInItsDescription)
{
    ASSERT_EQ(code("open " + clip("text.mp3") + " alias t"), 296u);
    char text[128];
    ASSERT_TRUE(m_engine.getErrorString(296, text, sizeof text));
    EXPECT_NE(std::string(text).find("cannot be played"), std::string::npos) << text;
}

TEST_F(EngineTest, GarbageCommandsNeverHurtTheEngine)
{
    open("video.mpg", "m");
    const std::vector<std::string> garbage{
        "", " ", "\t\t", "\"", "\"\"", "play \"m", "play m\"x\"", std::string(300, 'x'),
        "play m from 99999999999999999999", "put m window at 1 2 3 99999999999", "status m time",
        "set m time format", "open \"\"", "open \"\" alias z", "close", "\xff\xfe play m",
        std::string("play\0m", 6), "seek m to -0", "play m from -0 to 0"};
    for (const std::string& command : garbage) {
        send(command);
    }
    EXPECT_EQ(send("status m mode").reply, "stopped");
    ASSERT_EQ(code("play m from 0 to 5 wait"), 0u);
    EXPECT_EQ(number("status m position"), 5);
}

TEST_F(EngineTest, CloseAllAnswersZeroAlsoWhenNothingIsOpen)
{
    EXPECT_EQ(code("close all"), 0u);
    open("tone.wav", "a");
    open("tone.au", "b");
    EXPECT_EQ(code("close all"), 0u);
    EXPECT_EQ(code("status a mode"), 263u);
    EXPECT_EQ(code("status b mode"), 263u);
}

}  // namespace
}  // namespace zelko::mci::test
