// SPDX-License-Identifier: GPL-3.0-or-later
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

// Commands run in order on a fresh engine where tone.wav is open as "a" and video.mpg as "v", in
// runs that each give the code all of the run's commands answer.
struct Scenario {
    const char* name;
    std::vector<std::pair<uint32_t, std::vector<std::string>>> runs;
};
void PrintTo(const Scenario& scenario, std::ostream* os)
{
    *os << scenario.name;
}

const std::vector<Scenario> kScenarios{
    {"LetterCaseAndPadding",
     {{0,
       {"STATUS A LENGTH", "Status v Mode" + std::string(200, ' '), "set V time format FRAMES", "set v TIME FORMAT Ms",
        "set v time format milliseconds"}}}},
    {"NumbersThatAreNotNumbers",
     {{270,
       {"play a from x", "play a to 1.5", "seek a to ten", "set a speed fast", "play v from 99999999999999999999",
        "put v window at 1 2 3 99999999999"}}}},
    {"ValuesOutOfRange",
     {{282,
       {"set a speed 0", "set a speed -1", "seek a to -1", "seek a to 2001", "play a from 0 to -1", "play a from 2001",
        "play a from 500 to 400"}},
      {0, {"play a from 400 to 400"}},
      {282, {"put v window at 0 0 -1 1"}},
      {0, {"seek a to -0", "play a from -0 to 0"}}}},
    {"MissingAndUnknownParts",
     {{273, {"seek a", "set a", "status a", "where v", "put v"}},
      {284, {"status a length position"}},
      {293, {"set a time format seconds"}},
      {346, {"where a destination", "put a window at 0 0 10 10"}},
      {275, {"open \"\" alias z"}}}},
    // Two faults: the device before the values, the values in the order the verb lists them.
    {"TwoFaultsTheFirstIsReported",
     {{263, {"play nothing from x"}},
      {282, {"set a speed 0 time format seconds"}},
      {263, {kTone + " alias b parent window type cdaudio"}}}},
    {"ModeRules",
     {{302, {"resume a"}}, {0, {"pause a", "pause a", "resume a", "resume a", "stop a"}}, {302, {"resume a"}}}},
    // The alias defaults to the file name, and a name in quotes may hold blanks.
    {"Opening",
     {{289, {kTone + " alias A"}},
      {263, {kTone + " alias b type cdaudio"}},
      {270, {kTone + " alias b parent window", kTone + " alias b style x"}},
      {0,
       {kTone + " alias b type WaveAudio", kTone + " alias c type sequencer", kTone + " alias d type AVIVideo",
        "open " + clip("tone.au"), "status " + clip("tone.au") + " length"}},
      {289, {"open " + clip("tone.au")}},
      {0, {"open \"" + kBlankDir + "/my tone.wav\" alias q", "status q length"}}}},
    {"UnknownAndClosedAliasesAndAll",
     {{263, {"play nothing", "close nothing"}},
      {0, {"close a"}},
      {263, {"status a length"}},
      {279, {"play all"}},
      {0, {"close ALL"}},
      {263, {"status v mode"}},
      {0, {"close all"}}}},
};

class Commands : public EngineTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(Commands, AnswerEachWithItsCode)
{
    std::filesystem::create_directories(kBlankDir);
    std::filesystem::copy_file(clip("tone.wav"), kBlankDir + "/my tone.wav",
                               std::filesystem::copy_options::overwrite_existing);
    open("tone.wav", "a");
    open("video.mpg", "v");
    for (const auto& [expected, commands] : GetParam().runs) {
        for (const std::string& command : commands) {
            EXPECT_EQ(code(command), expected) << command;
        }
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
    // Runs of commands in order, with the code each answers and the device's volume after each.
    // (Words that are no number, or missing or unknown, are the parser's to refuse, whatever the
    // verb.)
    const std::tuple<uint32_t, std::string, std::vector<std::string>> runs[] = {
        {0, "250", {"setaudio a volume to 250", "play a"}},
        {282, "250", {"setaudio a volume to 1001", "setaudio a volume to -1"}},
        {0, "0", {"setaudio a volume to 0"}},
        {0, "1000", {"setaudio a volume to 1000"}},
        {0, "400", {"setaudio a volume to 400 off", "setaudio a on", "stop a"}},
        {0, "1000", {"setaudio s volume to 300", "setaudio s off"}},
        {282, "1000", {"setaudio s volume to 2000"}},
    };
    for (const auto& [expected, volume, commands] : runs) {
        for (const std::string& command : commands) {
            EXPECT_EQ(code(command), expected) << command;
            const std::string alias = command.substr(command.find(' ') + 1, 1);  // one letter, second word
            EXPECT_EQ(reply("status " + alias + " volume"), volume) << command;
        }
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
