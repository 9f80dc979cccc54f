#include <gtest/gtest.h>

#include <cmath>

#include "media/reply_parse.h"

using namespace zelko::media;

namespace {

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour)
{
    struct { double in; int32_t out; } cases[] = {
        {12.5, 12}, {13.5, 14}, {37.5, 38}, {0.5, 0}, {1.5, 2}, {-0.5, 0}, {-1.5, -2},
        {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.6, -3}, {2147483647.4, 2147483647},
        {-2147483648.5, -2147483648},
    };
    for (auto c : cases)
        EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
}

TEST(RoundHalfEven, BeyondThirtyTwoBitsOrNotFiniteIsEmpty)
{
    for (double v : {2147483647.5, 2147483648.0, -2147483649.0, 1e300, HUGE_VAL, -HUGE_VAL, double(NAN)})
        EXPECT_FALSE(roundHalfEven(v)) << v;
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart)
{
    struct { const char* in; double out; } cases[] = {
        {"1000", 1000}, {"  42", 42}, {"\t7", 7}, {"12.5", 12.5}, {"-3", -3}, {"+4", 4},
        {"12abc", 12}, {"", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {".5", 0.5}, {"5.", 5},
        {"1 2", 1}, {"0 0 352 288", 0},
    };
    for (auto c : cases)
        EXPECT_EQ(leadingNumber(c.in), c.out) << '"' << c.in << '"';
}

TEST(SliceInt32, WholeSliceMustBeANumber)
{
    EXPECT_EQ(sliceInt32(" 352"), 352);
    EXPECT_EQ(sliceInt32("288 "), 288);
    EXPECT_FALSE(sliceInt32(""));
    EXPECT_FALSE(sliceInt32("   "));
    EXPECT_FALSE(sliceInt32("3 52"));
    EXPECT_FALSE(sliceInt32("35x"));
    EXPECT_FALSE(sliceInt32("99999999999"));
}

}  // namespace
