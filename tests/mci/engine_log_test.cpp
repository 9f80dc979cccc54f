// SPDX-License-Identifier: GPL-3.0-or-later
// What the engine decides in GStreamer's place is in its debug category (zelko-mci), each time
// it acts, and so is GStreamer's own account of an error beside the text the user is told.
#include "tests/mci/engine_fixture.h"

#include <gst/gst.h>

#include <mutex>
#include <string>
#include <vector>

namespace zelko::mci::test {
namespace {

// Collects the engine's messages at INFO and above while it lives; GStreamer's own printing to
// standard error is off meanwhile, so the test's output stays readable.
class EngineLog {
public:
    EngineLog()
    {
        gst_debug_set_threshold_for_name("zelko-mci", GST_LEVEL_INFO);
        m_printed = gst_debug_remove_log_function(gst_debug_log_default) > 0;
        gst_debug_add_log_function(collect, this, nullptr);
    }
    ~EngineLog()
    {
        gst_debug_remove_log_function_by_data(this);
        if (m_printed) {
            gst_debug_add_log_function(gst_debug_log_default, nullptr, nullptr);
        }
        gst_debug_unset_threshold_for_name("zelko-mci");
    }
    EngineLog(const EngineLog&) = delete;
    EngineLog& operator=(const EngineLog&) = delete;

    // The first message that holds `text`, or empty.
    std::string find(const std::string& text)
    {
        const std::lock_guard lock(m_mutex);
        for (const std::string& line : m_lines) {
            if (line.find(text) != std::string::npos) {
                return line;
            }
        }
        return {};
    }

private:
    // Runs on whichever thread logs: the caller's, or a streaming thread.
    static void collect(GstDebugCategory* category, GstDebugLevel level, const gchar*, const gchar*, gint, GObject*,
                        GstDebugMessage* message, gpointer data)
    {
        auto& log = *static_cast<EngineLog*>(data);
        if (level > GST_LEVEL_INFO || g_strcmp0(gst_debug_category_get_name(category), "zelko-mci") != 0) {
            return;
        }
        const std::lock_guard lock(log.m_mutex);
        log.m_lines.emplace_back(gst_debug_message_get(message));
    }

    bool m_printed = false;
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

}  // namespace

TEST_F(EngineTest, EachWorkaroundAndErrorReachesTheEnginesLog)
{
    struct Case {
        const char* clip;
        const char* said;
    };
    // An a-law AIFF-C goes past aiffparse to libav's demuxer; a program stream muxed by avmux
    // is as long as its timestamps say, not as GStreamer reckons from its clock references; a
    // mirrored MP4 is turned as its track matrix says, which GStreamer's tag does not.
    for (const Case& c : {Case{"aifc-alaw.aifc", "skipping aiffparse"},
                          Case{"ps-avmux.mpg", "from the file's own header or timestamps in place of GStreamer's"},
                          Case{"turn-mirror.mp4", "turned horiz as the file's own matrix says"}}) {
        EngineLog log;
        open(c.clip);
        EXPECT_NE(log.find(c.said), "") << c.clip;
        EXPECT_EQ(code("close m"), 0u);
    }
    // A file that is no media: the text the user gets, and GStreamer's debug detail in the log,
    // which names the element that failed.
    EngineLog log;
    EXPECT_EQ(code("open " + clip("text.mp3") + " alias m"), 296u);
    const std::string error = log.find("error: Could not determine type of stream.");
    EXPECT_NE(error.find("GstTypeFindElement"), std::string::npos) << error;
}

}  // namespace zelko::mci::test
