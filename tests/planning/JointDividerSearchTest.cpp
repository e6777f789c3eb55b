#include "planning/JointDividerSearch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "DividerSearchOracle.h"
#include "planning/ClockLimits.h"
#include "planning/Output2List.h"

namespace {

using namespace tarnwell;

#ifdef TARNWELL_SHORT_ORACLE_SWEEP
constexpr int kRandomPairs = 4;
#else
constexpr int kRandomPairs = 40;
#endif

// Pairs from a fixed seed: half with output 2 a small ratio away from output 1 (where settings
// exist), half unrelated.
std::vector<std::pair<double, double>> randomPairs() {
    std::mt19937_64 engine(21);
    const auto uniform = [&](double lo, double hi) {
        return lo + static_cast<double>(engine() >> 11) * 0x1p-53 * (hi - lo);
    };
    std::vector<std::pair<double, double>> pairs;
    for (int i = 0; i < kRandomPairs; ++i) {
        const double f1 = std::round(std::exp(uniform(std::log(1e5), std::log(3e8))));
        const double ratio = std::round(uniform(1, 12)) / std::round(uniform(1, 12));
        pairs.emplace_back(f1, i % 2 == 0 ? std::round(f1 * ratio) : std::round(uniform(1e5, 3e8)));
    }
    return pairs;
}

TEST(JointDividerSearch, AgreesWithTheLiteralEnumeration) {
    std::vector<std::pair<double, double>> pairs = {
        // Equal outputs must give the divider search's own answer, which the oracle is too.
        {10e6, 25e6}, {10e6, 27e6},   {10e6, 100e6},  {10e6, 125e6}, {24.576e6, 10e6},
        {10e6, 10e6}, {25e6, 10e6},   {27e6, 13.5e6}, {1e6, 1000},   {10e6, 5e6},
        {10e6, 0.5},  {812.5e6, 1e6}, {400, 400},     {10e6, -1},    {10e6, NAN}};
    const auto random = randomPairs();
    pairs.insert(pairs.end(), random.begin(), random.end());
    int found = 0;
    for (const auto& [f1, f2] : pairs) {
        const std::optional<JointPlan> fast = findJointDividers(f1, f2);
        EXPECT_EQ(fast, reference::enumerateJointDividersLiterally(f1, f2)) << f1 << " " << f2;
        if (!fast)
            continue;
        ++found;
        const PllBoxValues v = pllValuesOf(*fast);
        EXPECT_EQ(v.nc1ls * f1, v.nc2ls * f2) << f1 << " " << f2;
    }
    EXPECT_GT(found, static_cast<int>(pairs.size()) / 4);
}

TEST(JointDividerSearch, OffersTheNearestOutput2ChoicesWhenNoSettingMakesBoth) {
    // 24.576 MHz beside 10 MHz needs NC1_LS a multiple of 1250: far beyond the oscillator.
    ASSERT_FALSE(findJointDividers(24.576e6, 10e6));
    const JointFallback nearest = nearestOutput2Choices(24.576e6, 10e6);
    ASSERT_TRUE(nearest.out1 && nearest.below && nearest.above);
    EXPECT_EQ(nearest.out1, findDividers(24.576e6).plan);
    const int nc1 = nearest.out1->nc;
    EXPECT_EQ(nearest.above->nc2 + 2, nearest.below->nc2);
    EXPECT_EQ(nearest.below->frequency, out2Value(24.576e6, nc1, nearest.below->nc2 / 2 - 1));
    EXPECT_LT(nearest.below->frequency, 10e6);
    EXPECT_GT(nearest.above->frequency, 10e6);
    EXPECT_DOUBLE_EQ(nearest.below->errorHz, nearest.below->frequency - 10e6);
    EXPECT_DOUBLE_EQ(nearest.above->errorPpm, (nearest.above->frequency - 10e6) / 10);
    // Beyond either end of the list only one side exists; without output 1, nothing.
    EXPECT_FALSE(nearestOutput2Choices(10e6, 1e9).above);
    EXPECT_EQ(nearestOutput2Choices(10e6, 1e9).below->nc2, 2);
    EXPECT_FALSE(nearestOutput2Choices(10e6, 1).below);
    EXPECT_EQ(nearestOutput2Choices(10e6, 1).above->nc2, kNcMax);
    EXPECT_FALSE(nearestOutput2Choices(123, 10e6).out1);
}

}  // namespace
