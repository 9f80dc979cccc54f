// Codes and replies of the command language on an open device, error descriptions, reply
// buffers and the trace.
#include "tests/mci/engine_fixture.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace zelko::mci::test {
namespace {

struct CodeCase {
    std::string command;
    uint32_t code;
};

// A named list of commands; CTest names the case after it.
struct CodeList {
    std::string name;
    std::vector<CodeCase> cases;
};
void PrintTo(const CodeList& list, std::ostream* os) { *os << list.name; }

class CommandCodeTest : public EngineTest, public ::testing::WithParamInterface<CodeList> {};

// Each list runs in order on one engine where tone.wav is open as "a" and video.mpg as "v".
TEST_P(CommandCodeTest, AnswersEachCommandWithItsCode)
{
    open("tone.wav", "a");
    open("video.mpg", "v");
    for (const CodeCase& c : GetParam().cases) {
        EXPECT_EQ(code(c.command), c.code) << c.command;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CommandCodeTest,
    ::testing::Values(
        // Unknown aliases, closed aliases, "all".
        CodeList{"Aliases", {{"play nothing", 263}, {"status nothing length", 263},
                              {"close nothing", 263}, {"close a", 0}, {"status a length", 263},
                              {"play all", 279}, {"close ALL", 0}, {"status v mode", 263},
                              {"close all", 0}}},
        // Letter case and padding.
        CodeList{"LetterCaseAndPadding", {{"STATUS A LENGTH", 0}, {"Status v Mode" + std::string(200, ' '), 0},
                              {"set V time format FRAMES", 0}, {"set v TIME FORMAT Ms", 0},
                              {"set v time format milliseconds", 0}}},
        // Numbers that are not numbers, values out of range.
        CodeList{"NumbersAndRanges", {{"play a from x", 270}, {"play a to 1.5", 270}, {"seek a to ten", 270},
                              {"set a speed fast", 270}, {"set a speed 0", 282},
                              {"set a speed -1", 282}, {"seek a to -1", 282},
                              {"seek a to 2001", 282}, {"play a from 0 to -1", 282},
                              {"play a from 2001", 282}, {"play a from 500 to 400", 282},
                              {"play a from 400 to 400", 0}, {"put v window at 0 0 a 1", 270},
                              {"put v window at 0 0 -1 1", 282}}},
        // Missing and unknown parts.
        CodeList{"MissingAndUnknownParts", {{"seek a", 273}, {"set a", 273}, {"status a", 273}, {"where v", 273},
                              {"put v", 273}, {"status a length position", 284},
                              {"status a volume", 259}, {"set a time format seconds", 293},
                              {"set a time format frames", 293}, {"where a destination", 346},
                              {"put a window at 0 0 10 10", 346}}},
        // Mode rules.
        CodeList{"Modes", {{"resume a", 302}, {"pause a", 0}, {"pause a", 0}, {"resume a", 0},
                              {"resume a", 0}, {"stop a", 0}, {"resume a", 302}, {"stop a", 0}}},
        // Opening.
        CodeList{"Opening", {{"open " + clipPath("tone.wav") + " alias A", 289},
                              {"open " + clipPath("tone.wav") + " alias b type cdaudio", 263},
                              {"open " + clipPath("tone.wav") + " alias b parent window", 270},
                              {"open " + clipPath("tone.wav") + " alias b style x", 270},
                              {"open " + clipPath("tone.wav") + " alias b type WaveAudio", 0},
                              {"open " + clipPath("tone.wav") + " alias c type sequencer", 0},
                              {"open " + clipPath("tone.wav") + " alias d type AVIVideo", 0},
                              {"open " + clipPath("tone.wav") + " alias e type mpegvideo", 0}}}));

TEST_F(EngineTest, OpenAnswersTheDeviceIdAndAliasDefaultsToTheFile)
{
    const Answer first = send("open " + clip("tone.wav") + " alias a");
    ASSERT_EQ(first.code, 0u);
    EXPECT_FALSE(first.reply.empty());
    const Answer second = send("open " + clip("tone.au"));
    ASSERT_EQ(second.code, 0u);
    EXPECT_NE(second.reply, first.reply);
    EXPECT_EQ(number("status " + clip("tone.au") + " length"), 2000);
    EXPECT_EQ(code("open " + clip("tone.au")), 289u);
}

TEST_F(EngineTest, QuotedFileNameMayHoldBlanks)
{
    const std::string dir = ::testing::TempDir() + "/with blank";
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(clip("tone.wav"), dir + "/my tone.wav",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(code("open \"" + dir + "/my tone.wav\" alias q"), 0u);
    EXPECT_EQ(number("status q length"), 2000);
}

TEST_F(EngineTest, ReplyBufferIsClearedAndMustHoldTheReply)
{
    open("tone.wav", "a");
    char reply[8] = "junk";
    EXPECT_EQ(m_engine.sendString("status a bogus", reply, sizeof reply, 0), 259u);
    EXPECT_STREQ(reply, "");
    char small[4] = "xyz";
    EXPECT_EQ(m_engine.sendString("status a length", small, sizeof small, 0), 268u);
    EXPECT_STREQ(small, "");
    char exact[5];
    EXPECT_EQ(m_engine.sendString("status a length", exact, sizeof exact, 0), 0u);
    EXPECT_STREQ(exact, "2000");
    EXPECT_EQ(m_engine.sendString("status a mode", nullptr, 0, 0), 0u);
}

TEST_F(EngineTest, ErrorStringsAreCutAndTerminated)
{
    for (const uint32_t errorCode : {259u, 261u, 263u, 267u, 268u, 270u, 273u, 275u, 282u, 289u,
                                     292u, 293u, 294u, 296u, 302u, 305u, 346u}) {
        char text[128];
        ASSERT_TRUE(m_engine.getErrorString(errorCode, text, sizeof text)) << errorCode;
        EXPECT_GT(std::strlen(text), 10u);
        EXPECT_LE(std::strlen(text), 127u);
    }
    char cut[6];
    ASSERT_TRUE(m_engine.getErrorString(275, cut, sizeof cut));
    EXPECT_EQ(std::string(cut).size(), 5u);
    char untouched[8] = "keep";
    EXPECT_FALSE(m_engine.getErrorString(0, untouched, sizeof untouched));
    EXPECT_FALSE(m_engine.getErrorString(12345, untouched, sizeof untouched));
    EXPECT_STREQ(untouched, "keep");
}

TEST(EngineTrace, RecordsEachCommandWithCodeAndLength)
{
    const std::string path = ::testing::TempDir() + "/mci-trace-" + std::to_string(::getpid());
    std::remove(path.c_str());
    ::setenv("ZELKO_MCI_TRACE", path.c_str(), 1);
    {
        Engine engine;
        const std::string padded = "status nothing length   ";
        engine.sendString(padded, nullptr, 0, 0);
        engine.sendString("close all", nullptr, 0, 0);
    }
    ::unsetenv("ZELKO_MCI_TRACE");
    std::ifstream in(path);
    std::string first;
    std::string second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "263\t24\tstatus nothing length   ");
    EXPECT_EQ(second, "0\t9\tclose all");
}

}  // namespace
}  // namespace zelko::mci::test
