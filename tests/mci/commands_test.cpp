// Codes and replies of the command language on open devices, reply buffers and error
// descriptions. (The trace every e2e test reads, code, length and padded text, is checked there.)
#include "tests/mci/engine_fixture.h"

#include <cstring>
#include <filesystem>
#include <tuple>

namespace zelko::mci::test {
namespace {

const std::string kTone = "open " + clip("tone.wav");
const std::string kBlankDir = ::testing::TempDir() + "/with blank";

// Commands run in order on a fresh engine where tone.wav is open as "a" and video.mpg as "v".
struct Scenario {
    const char* name;
    std::vector<std::pair<std::string, uint32_t>> commands;
};
void PrintTo(const Scenario& scenario, std::ostream* os)
{
    *os << scenario.name;
}

const std::vector<Scenario> kScenarios{
    {"LetterCaseAndPadding",
     {{"STATUS A LENGTH", 0},
      {"Status v Mode" + std::string(200, ' '), 0},
      {"set V time format FRAMES", 0},
      {"set v TIME FORMAT Ms", 0},
      {"set v time format milliseconds", 0}}},
    {"NumbersThatAreNotNumbers",
     {{"play a from x", 270},
      {"play a to 1.5", 270},
      {"seek a to ten", 270},
      {"set a speed fast", 270},
      {"play v from 99999999999999999999", 270},
      {"put v window at 1 2 3 99999999999", 270}}},
    {"ValuesOutOfRange",
     {{"set a speed 0", 282},
      {"set a speed -1", 282},
      {"seek a to -1", 282},
      {"seek a to 2001", 282},
      {"play a from 0 to -1", 282},
      {"play a from 2001", 282},
      {"play a from 500 to 400", 282},
      {"play a from 400 to 400", 0},
      {"put v window at 0 0 -1 1", 282},
      {"seek a to -0", 0},
      {"play a from -0 to 0", 0}}},
    {"MissingAndUnknownParts",
     {{"seek a", 273},
      {"set a", 273},
      {"status a", 273},
      {"where v", 273},
      {"put v", 273},
      {"status a length position", 284},
      {"set a time format seconds", 293},
      {"where a destination", 346},
      {"put a window at 0 0 10 10", 346},
      {"open \"\" alias z", 275}}},
    // Two faults: the device before the values, the values in the order the verb lists them.
    {"TwoFaultsTheFirstIsReported",
     {{"play nothing from x", 263},
      {"set a speed 0 time format seconds", 282},
      {kTone + " alias b parent window type cdaudio", 263}}},
    {"ModeRules",
     {{"resume a", 302},
      {"pause a", 0},
      {"pause a", 0},
      {"resume a", 0},
      {"resume a", 0},
      {"stop a", 0},
      {"resume a", 302}}},
    // The alias defaults to the file name, and a name in quotes may hold blanks.
    {"Opening",
     {{kTone + " alias A", 289},
      {kTone + " alias b type cdaudio", 263},
      {kTone + " alias b parent window", 270},
      {kTone + " alias b style x", 270},
      {kTone + " alias b type WaveAudio", 0},
      {kTone + " alias c type sequencer", 0},
      {kTone + " alias d type AVIVideo", 0},
      {"open " + clip("tone.au"), 0},
      {"status " + clip("tone.au") + " length", 0},
      {"open " + clip("tone.au"), 289},
      {"open \"" + kBlankDir + "/my tone.wav\" alias q", 0},
      {"status q length", 0}}},
    {"UnknownAndClosedAliasesAndAll",
     {{"play nothing", 263},
      {"close nothing", 263},
      {"close a", 0},
      {"status a length", 263},
      {"play all", 279},
      {"close ALL", 0},
      {"status v mode", 263},
      {"close all", 0}}},
};

class Commands : public EngineTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(Commands, AnswerEachWithItsCode)
{
    std::filesystem::create_directories(kBlankDir);
    std::filesystem::copy_file(clip("tone.wav"), kBlankDir + "/my tone.wav",
                               std::filesystem::copy_options::overwrite_existing);
    open("tone.wav", "a");
    open("video.mpg", "v");
    for (const auto& [command, expected] : GetParam().commands) {
        EXPECT_EQ(code(command), expected) << command;
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, Commands, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// The volume is kept through later commands; a value out of range changes nothing, mute keeps
// the stored volume, and a device without sound takes every setting and keeps none.
TEST_F(EngineTest, SetAudioKeepsTheVolumeWithinRange)
{
    open("tone.wav", "a");
    open("silent.avi", "s");
    EXPECT_EQ(reply("status a volume"), "1000");
    // The command, its code, and the device's volume afterwards. (Words that are no number, or
    // missing or unknown, are the parser's to refuse, whatever the verb.)
    const std::tuple<std::string, uint32_t, std::string> cases[] = {
        {"setaudio a volume to 250", 0, "250"},
        {"play a", 0, "250"},
        {"setaudio a volume to 1001", 282, "250"},
        {"setaudio a volume to -1", 282, "250"},
        {"setaudio a volume to 0", 0, "0"},
        {"setaudio a volume to 1000", 0, "1000"},
        {"setaudio a volume to 400 off", 0, "400"},
        {"setaudio a on", 0, "400"},
        {"stop a", 0, "400"},
        {"setaudio s volume to 300", 0, "1000"},
        {"setaudio s off", 0, "1000"},
        {"setaudio s volume to 2000", 282, "1000"},
    };
    for (const auto& [command, expected, volume] : cases) {
        EXPECT_EQ(code(command), expected) << command;
        const std::string alias = command.substr(command.find(' ') + 1, 1);  // one letter, second word
        EXPECT_EQ(reply("status " + alias + " volume"), volume) << command;
    }
    EXPECT_EQ(code("setaudio nothing volume to 5"), 263u);
}

TEST_F(EngineTest, ReplyBuffersAndErrorStrings)
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

    // Descriptions are cut to the buffer and terminated; a code that is no error leaves it alone.
    char cut[6];
    ASSERT_TRUE(m_engine.getErrorString(275, cut, sizeof cut));
    EXPECT_EQ(std::strlen(cut), 5u);
    char untouched[8] = "keep";
    EXPECT_FALSE(m_engine.getErrorString(0, untouched, sizeof untouched));
    EXPECT_FALSE(m_engine.getErrorString(12345, untouched, sizeof untouched));
    EXPECT_STREQ(untouched, "keep");
}

}  // namespace
}  // namespace zelko::mci::test
