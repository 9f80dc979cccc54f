// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's unit conversions at their exact boundaries: a position reads as the nearest
// millisecond or frame, and a unit goes back to the nanosecond it stands for.
#include "platform/mci/time_format.h"

#include <gtest/gtest.h>

#include <string_view>

namespace zelko::mci {
namespace {

constexpr double kPal = 25.0;
constexpr double kNtsc = 30000.0 / 1001.0;

struct Conversion {
    std::string_view name;
    TimeFormat format;
    double framesPerSecond;
    int64_t ns;
    int64_t units;
};

// Nanoseconds to units: the last nanosecond before a half still rounds down, the half rounds up.
constexpr Conversion kToUnits[] = {
    {"MsJustBelowHalf", TimeFormat::Milliseconds, 0, 499'999, 0},
    {"MsAtHalf", TimeFormat::Milliseconds, 0, 500'000, 1},
    {"MsJustBelowNextHalf", TimeFormat::Milliseconds, 0, 1'499'999, 1},
    {"MsLength", TimeFormat::Milliseconds, 0, 4'520'600'000, 4521},
    {"PalFrameJustBelowHalf", TimeFormat::Frames, kPal, 19'999'999, 0},
    {"PalFrameAtHalf", TimeFormat::Frames, kPal, 20'000'000, 1},
    {"PalFrameExact", TimeFormat::Frames, kPal, 40'000'000, 1},
    {"PalFrameJustBelowSecondHalf", TimeFormat::Frames, kPal, 59'999'999, 1},
    {"PalTenSeconds", TimeFormat::Frames, kPal, 10'000'000'000, 250},
    {"NtscFrameJustBelowHalf", TimeFormat::Frames, kNtsc, 16'683'333, 0},
    {"NtscFrameAtHalf", TimeFormat::Frames, kNtsc, 16'683'334, 1},
    {"NtscTenSeconds", TimeFormat::Frames, kNtsc, 10'010'000'000, 300},
};

// Units to nanoseconds: the start of the unit, to the nearest nanosecond.
constexpr Conversion kToNs[] = {
    {"MsOne", TimeFormat::Milliseconds, 0, 1'000'000, 1},
    {"MsLength", TimeFormat::Milliseconds, 0, 4'521'000'000, 4521},
    {"PalThreeFrames", TimeFormat::Frames, kPal, 120'000'000, 3},
    {"NtscOneFrame", TimeFormat::Frames, kNtsc, 33'366'667, 1},
    {"NtscThreeHundredFrames", TimeFormat::Frames, kNtsc, 10'010'000'000, 300},
};

class NsToUnits : public ::testing::TestWithParam<Conversion> {};
class UnitsToNs : public ::testing::TestWithParam<Conversion> {};

TEST_P(NsToUnits, RoundsToTheNearestUnit)
{
    const Conversion& c = GetParam();
    EXPECT_EQ(nsToUnits(c.ns, c.format, c.framesPerSecond), c.units);
}

TEST_P(UnitsToNs, GivesTheUnitsStart)
{
    const Conversion& c = GetParam();
    EXPECT_EQ(unitsToNs(c.units, c.format, c.framesPerSecond), c.ns);
}

const auto kName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Engine, NsToUnits, ::testing::ValuesIn(kToUnits), kName);
INSTANTIATE_TEST_SUITE_P(Engine, UnitsToNs, ::testing::ValuesIn(kToNs), kName);

// Every frame of an NTSC hour reads back as itself, so a seek to a frame lands on it.
TEST(TimeFormat, EveryNtscFrameReadsBackAsItself)
{
    for (int64_t frame = 0; frame < 30 * 3600; ++frame) {
        ASSERT_EQ(nsToUnits(unitsToNs(frame, TimeFormat::Frames, kNtsc), TimeFormat::Frames, kNtsc), frame);
    }
}

}  // namespace
}  // namespace zelko::mci
