// SPDX-License-Identifier: GPL-3.0-or-later
// A format whose decoder is missing fails with a description that names what is missing.
// GStreamer reads GST_PLUGIN_FEATURE_RANK once, when the engine first starts it, so this test
// has a process of its own where the FluidSynth, WMA, Opus and FLAC decoders are never chosen.
#include "tests/mci/engine_fixture.h"

namespace zelko::mci::test {
namespace {

const bool kFluidSynthHidden =
    ::setenv("GST_PLUGIN_FEATURE_RANK",
             "fluiddec:NONE,avdec_wmav2:NONE,opusdec:NONE,avdec_opus:NONE,flacdec:NONE,avdec_flac:NONE", 1) == 0;

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

// Today's kinds say which decoder they want, in GStreamer's words, as the older ones do.
TEST_F(EngineTest, TodaysKindsWithoutTheirDecodersNameTheFormat)
{
    ASSERT_TRUE(kFluidSynthHidden);
    const struct {
        const char* file;
        const char* format;
    } kinds[] = {{"kind-wma.wma", "Windows Media Audio"}, {"kind-opus.opus", "Opus"}, {"kind-flac.flac", "FLAC"}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.file);
        EXPECT_EQ(code("open " + clip(kind.file) + " alias m"), 296u);
        char text[128];
        EXPECT_TRUE(m_engine.getErrorString(296, text, sizeof text));
        EXPECT_NE(std::string(text).find(kind.format), std::string::npos) << text;
        EXPECT_NE(m_engine.missingDecoder(296).find(kind.format), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace zelko::mci::test
