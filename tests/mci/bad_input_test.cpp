// SPDX-License-Identifier: GPL-3.0-or-later
// Files that do not play get their codes (a hang would meet the test's timeout), and the engine
// goes on.
#include "tests/mci/engine_fixture.h"

namespace zelko::mci::test {
namespace {

TEST_F(EngineTest, BadFilesFailAndTheEngineGoesOn)
{
    EXPECT_EQ(code("close all"), 0u);
    for (const auto& [file, expected] : std::vector<std::pair<std::string, uint32_t>>{
             {"missing.mp3", 275}, {"empty.mp3", 296}, {"text.mp3", 296}, {"truncated.mpg", 296}, {".", 296}}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(code("open " + clip(file) + " alias bad"), expected);
        EXPECT_EQ(code("status bad mode"), 263u);
        char text[128];
        ASSERT_TRUE(m_engine.getErrorString(expected, text, sizeof text));
        if (file == "text.mp3") {
            EXPECT_NE(std::string(text).find("cannot be played"), std::string::npos) << text;
        }
        // The alias is free, and the engine still plays.
        open("tone.wav", "bad");
        ASSERT_EQ(code("play bad from 1900 wait"), 0u);
        EXPECT_EQ(number("status bad position"), 2000);
        ASSERT_EQ(code("close bad"), 0u);
    }
}

}  // namespace
}  // namespace zelko::mci::test
