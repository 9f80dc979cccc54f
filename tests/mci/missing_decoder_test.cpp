// A format whose decoder is missing fails with a description that names what is missing.
// GStreamer reads GST_PLUGIN_FEATURE_RANK once, when the engine first starts it, so this test
// has a process of its own where the FluidSynth decoder is never chosen.
#include "tests/mci/engine_fixture.h"

#include <cstdlib>

namespace zelko::mci::test {
namespace {

const bool kFluidSynthHidden = ::setenv("GST_PLUGIN_FEATURE_RANK", "fluiddec:NONE", 1) == 0;

TEST_F(EngineTest, MidiWithoutItsDecoderNamesFluidSynth)
{
    ASSERT_TRUE(kFluidSynthHidden);
    for (const char* file : {"tune.mid", "tune.rmi"}) {
        EXPECT_EQ(code("open " + clip(file) + " alias m"), 296u) << file;
        EXPECT_EQ(code("status m mode"), 263u);
        char text[128];
        ASSERT_TRUE(m_engine.getErrorString(296, text, sizeof text));
        EXPECT_NE(std::string(text).find("FluidSynth"), std::string::npos) << text;
        EXPECT_LE(std::string(text).size(), 127u);
    }
    // Other media still play, and the reason belongs to the failure it explained.
    open("tone.wav");
    EXPECT_EQ(code("open " + clip("text.mp3") + " alias t"), 296u);
    char text[128];
    ASSERT_TRUE(m_engine.getErrorString(296, text, sizeof text));
    EXPECT_EQ(std::string(text).find("FluidSynth"), std::string::npos) << text;
}

}  // namespace
}  // namespace zelko::mci::test
