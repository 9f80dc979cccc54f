// SPDX-License-Identifier: GPL-3.0-or-later
// The range guard judges each buffer by one range (a streaming thread never pairs the stop of
// one range with the generation of the next), and ends a range again after a flush.
#include "platform/mci/gst_holders.h"
#include "platform/mci/range_guard.h"
#include "platform/time_limit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace zelko::mci::test {
namespace {

// Ranges that end at once (stop 0) alternate with ranges that never end while another thread
// judges buffers, as a streaming thread does: a buffer is never judged past the stop of a range
// that does not end. Plain threads, so that ThreadSanitizer sees every access on both sides.
TEST(RangeGuard, ANewRangeNeverEndsByTheStopOfTheOldOne)
{
    constexpr uint64_t kJudgedWhileChanging = 20'000;
    constexpr int64_t kNever = INT64_MAX / 2;
    RangeGuard guard;
    std::atomic<bool> done{false};
    std::atomic<uint64_t> judged{0};
    std::vector<uint32_t> ended;
    std::thread streaming([&] {
        for (uint64_t pts = 0; !done.load(); ++pts) {
            if (const std::optional<uint32_t> past = guard.pastStop(pts, static_cast<int64_t>(pts))) {
                ended.push_back(*past);
            }
            ++judged;
        }
    });
    std::vector<bool> endsAtOnce(1, false);
    for (uint32_t i = 0; judged.load() < kJudgedWhileChanging; ++i) {
        const bool atOnce = i % 2 == 0;
        const uint32_t generation = guard.setStop(atOnce ? 0 : kNever);
        endsAtOnce.resize(generation + 1, false);
        endsAtOnce[generation] = atOnce;
    }
    done = true;
    streaming.join();

    int endedEarly = 0;
    for (const uint32_t generation : ended) {
        endedEarly += generation < endsAtOnce.size() && !endsAtOnce[generation] ? 1 : 0;
    }
    EXPECT_EQ(endedEarly, 0) << "of " << ended.size() << " buffers judged past a stop";
}

// Waits for the pipeline's end of stream; false when an error or the deadline comes first.
bool ended(GstElement* pipeline)
{
    BusPtr bus(gst_element_get_bus(pipeline));
    MessagePtr message(gst_bus_timed_pop_filtered(bus.get(), platform::timeLimit(10 * GST_SECOND),
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
