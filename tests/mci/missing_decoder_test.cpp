// SPDX-License-Identifier: GPL-3.0-or-later
// A format whose decoder is missing fails with a description that names what is missing.
// GStreamer reads GST_PLUGIN_FEATURE_RANK once, when the engine first starts it, so this test
// has a process of its own where the FluidSynth, WMA, Opus, FLAC and Vorbis decoders are never
// chosen.
#include "platform/media_file.h"
#include "tests/mci/engine_fixture.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace zelko::mci::test {
namespace {

const bool kFluidSynthHidden =
    ::setenv("GST_PLUGIN_FEATURE_RANK",
             "fluiddec:NONE,avdec_wmav2:NONE,opusdec:NONE,avdec_opus:NONE,flacdec:NONE,avdec_flac:NONE,"
             "vorbisdec:NONE,avdec_vorbis:NONE",
             1) == 0;

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

// Threads that keep every core busy, as a desktop at work does: the engine's threads are then
// taken off their cores at any point, which is where an unordered read shows.
class CoresBusy {
public:
    CoresBusy()
    {
        for (unsigned i = 0; i < 2 * std::max(1u, std::thread::hardware_concurrency()); ++i) {
            m_threads.emplace_back([this] {
                while (!m_done.load(std::memory_order_relaxed)) {}
            });
        }
    }
    ~CoresBusy()
    {
        m_done = true;
        for (auto& thread : m_threads) {
            thread.join();
        }
    }

private:
    std::atomic<bool> m_done{false};
    std::vector<std::thread> m_threads;
};

// The failure notice names the file by its title: the tags of a failed open are all there each
// time, although the decoding bin tells of the missing decoder before the demuxer's tags are out.
TEST_F(EngineTest, AFailedOpenKeepsEveryTagTheFileHolds)
{
    ASSERT_TRUE(kFluidSynthHidden);
    const CoresBusy busy;
    for (const char* name : {"tagged.ogg", "tagged.wma"}) {
        const auto identity = platform::identityOf(clip(name));
        ASSERT_TRUE(identity.has_value()) << name;
        for (int round = 0; round < 12; ++round) {
            SCOPED_TRACE(std::string(name) + ", round " + std::to_string(round));
            ASSERT_EQ(code("open " + clip(name) + " alias m"), 296u);
            const auto tags = m_engine.tags(*identity);
            ASSERT_TRUE(tags.has_value());
            EXPECT_EQ(tags->title, "Blue Tone");
        }
    }
}

}  // namespace
}  // namespace zelko::mci::test
