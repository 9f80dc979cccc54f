// SPDX-License-Identifier: GPL-3.0-or-later
// A format whose decoder is missing fails with a description that names what is missing.
// GStreamer reads GST_PLUGIN_FEATURE_RANK once, when the engine first starts it, so this test
// has a process of its own where the FluidSynth decoder is never chosen.
#include "tests/mci/engine_fixture.h"

namespace zelko::mci::test {
namespace {

const bool kFluidSynthHidden = ::setenv("GST_PLUGIN_FEATURE_RANK", "fluiddec:NONE", 1) == 0;

TEST_F(EngineTest, MidiWithoutItsDecoderNamesFluidSynth)
{
    ASSERT_TRUE(kFluidSynthHidden);
    auto description = [&](const std::string& file) {
        EXPECT_EQ(code("open " + clip(file) + " alias m"), 296u) << file;
        EXPECT_EQ(code("status m mode"), 263u);
        char text[128];
        EXPECT_TRUE(m_engine.getErrorString(296, text, sizeof text));
        return std::string(text);
    };
    const std::string tune = description("tune.mid");
    EXPECT_NE(tune.find("FluidSynth"), std::string::npos);
    // GStreamer's own name for what is missing, as data beside the text.
    EXPECT_NE(m_engine.missingDecoder(296).find("midi"), std::string::npos) << tune;
    EXPECT_NE(description("tune.rmi").find("FluidSynth"), std::string::npos);
    // Other media still play, and the reason belongs to the failure it explained.
    open("tone.wav", "t");
    const std::string text = description("text.mp3");
    EXPECT_EQ(text.find("FluidSynth"), std::string::npos);
    EXPECT_EQ(m_engine.missingDecoder(296), "") << text;
}

}  // namespace
}  // namespace zelko::mci::test
