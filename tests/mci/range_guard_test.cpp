// The range guard judges each buffer by one range: a streaming thread never pairs the stop of
// one range with the generation of the next, so a new range never ends by the old one's stop.
#include "platform/mci/gst_holders.h"
#include "platform/mci/range_guard.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace zelko::mci::test {
namespace {

// What the streaming thread found: the generations it judged a buffer past the stop of.
struct Judged {
    RangeGuard* guard = nullptr;
    std::mutex mutex;
    std::condition_variable flowing;
    uint64_t buffers = 0;
    std::vector<uint32_t> endedGenerations;
};

// Runs on the source's streaming thread for every buffer, as the guard's own pad probe does.
GstPadProbeReturn judge(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto& judged = *static_cast<Judged*>(data);
    const GstClockTime pts = GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info));
    const std::optional<uint32_t> past = judged.guard->pastStop(pts, static_cast<int64_t>(pts));
    const std::lock_guard lock(judged.mutex);
    ++judged.buffers;
    if (past)
        judged.endedGenerations.push_back(*past);
    judged.flowing.notify_all();
    return GST_PAD_PROBE_OK;
}

uint64_t judgedBuffers(Judged& judged)
{
    const std::lock_guard lock(judged.mutex);
    return judged.buffers;
}

TEST(RangeGuard, ANewRangeNeverEndsByTheStopOfTheOldOne)
{
    gst_init(nullptr, nullptr);
    RangeGuard guard;
    Judged judged;
    judged.guard = &guard;
    // Tiny buffers, as fast as the machine makes them.
    ElementPtr pipeline =
        adoptElement(gst_parse_launch("audiotestsrc name=source samplesperbuffer=1 ! fakesink sync=false", nullptr));
    ASSERT_TRUE(pipeline);
    ElementPtr source(gst_bin_get_by_name(GST_BIN(pipeline.get()), "source"));
    PadPtr pad(gst_element_get_static_pad(source.get(), "src"));
    gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, judge, &judged, nullptr);
    ASSERT_NE(gst_element_set_state(pipeline.get(), GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
    {
        std::unique_lock lock(judged.mutex);
        ASSERT_TRUE(judged.flowing.wait_for(lock, std::chrono::seconds(10), [&] { return judged.buffers > 0; }));
    }

    // Ranges that end at once (stop 0) alternate with ranges that never end, while thousands
    // of buffers are judged.
    constexpr uint64_t kJudgedWhileChanging = 20'000;
    constexpr int64_t kNever = INT64_MAX / 2;
    const uint64_t before = judgedBuffers(judged);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<bool> endsAtOnce(1, false);
    for (int i = 0; judgedBuffers(judged) < before + kJudgedWhileChanging; ++i) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "buffers stopped flowing";
        const bool atOnce = i % 2 == 0;
        const uint32_t generation = guard.setStop(atOnce ? 0 : kNever);
        endsAtOnce.resize(generation + 1, false);
        endsAtOnce[generation] = atOnce;
    }
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);

    const std::lock_guard lock(judged.mutex);
    int endedEarly = 0;
    for (const uint32_t generation : judged.endedGenerations)
        endedEarly += generation < endsAtOnce.size() && !endsAtOnce[generation] ? 1 : 0;
    EXPECT_EQ(endedEarly, 0) << "of " << judged.endedGenerations.size() << " ranges ended";
}

// Waits for the pipeline's end of stream; false when an error or the deadline comes first.
bool ended(GstElement* pipeline)
{
    BusPtr bus(gst_element_get_bus(pipeline));
    MessagePtr message(gst_bus_timed_pop_filtered(bus.get(), 10 * GST_SECOND,
                                                  static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    return message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS;
}

TEST(RangeGuard, ARangeSoughtAfterItsEndEndsAgain)
{
    gst_init(nullptr, nullptr);
    RangeGuard guard;
    ElementPtr pipeline =
        adoptElement(gst_parse_launch("audiotestsrc samplesperbuffer=441 ! fakesink name=sink sync=false", nullptr));
    ASSERT_TRUE(pipeline);
    ElementPtr sink(gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink"));
    guard.attach(sink.get());
    guard.setStop(50 * GST_MSECOND);
    ASSERT_NE(gst_element_set_state(pipeline.get(), GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
    ASSERT_TRUE(ended(pipeline.get()));

    // The same range again from its start: the flush clears the sink's end, so it needs a new one.
    ASSERT_TRUE(gst_element_seek_simple(pipeline.get(), GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, 0));
    EXPECT_TRUE(ended(pipeline.get()));
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
}

}  // namespace
}  // namespace zelko::mci::test
