#include "planning/NearestExact.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace tarnwell;

// Stepping with the search itself, one whole hertz at a time, gives the same neighbours.
TEST(NearestExact, AgreesWithSearchingEveryWholeFrequency) {
    for (const double f : {9999991.0, 5000011.0, 3333333.3333, 800000011.0, 99999989.5}) {
        const NearestExact n = findNearestExact(f);
        ASSERT_EQ(n.outcome, SearchOutcome::Found) << f;
        double below = std::ceil(f) - 1;
        while (findDividers(below).outcome != SearchOutcome::Found)
            --below;
        double above = std::floor(f) + 1;
        while (findDividers(above).outcome != SearchOutcome::Found)
            ++above;
        ASSERT_TRUE(n.below && n.above) << f;
        EXPECT_EQ(n.below->frequency, below) << f;
        EXPECT_EQ(n.above->frequency, above) << f;
        EXPECT_EQ(n.above->plan, *findDividers(above).plan);
        EXPECT_DOUBLE_EQ(n.below->distancePpm, (below - f) / f * 1e6);
    }
    // Nothing below the lowest searchable frequency, and out-of-range input finds nothing.
    EXPECT_FALSE(findNearestExact(364.5).below);
    EXPECT_EQ(findNearestExact(NAN).outcome, SearchOutcome::NotFound);
}

// What the prime-factor shortcut rules out, the search also fails to find.
TEST(NearestExact, LargePrimeFactorsReallyHaveNoSetting) {
    int ruledOut = 0;
    for (std::uint64_t g = 800000000; g < 800000400; ++g) {
        if (!provablyWithoutExactSetting(g))
            continue;
        ++ruledOut;
        EXPECT_EQ(findDividers(static_cast<double>(g)).outcome, SearchOutcome::NotFound) << g;
    }
    EXPECT_GT(ruledOut, 50);
    EXPECT_FALSE(provablyWithoutExactSetting(4999999 * 2 + 0));  // 9999998 = 2 x 4999999
    EXPECT_TRUE(provablyWithoutExactSetting(10000022));           // 2 x 5000011
}

}  // namespace
