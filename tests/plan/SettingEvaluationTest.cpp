#include "SettingEvaluation.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace tarnwell;

bool has(const PassVerdict& verdict, WindowFault fault) {
    return std::ranges::find(verdict.faults, fault) != verdict.faults.end();
}

// Each window holds its ends: F3 (= GPS with N31 1) and Fosc (= GPS x N2_LS with N31 and N2_HS 1)
// exactly at a bound pass, one step beyond it does not.
TEST(SettingEvaluation, EachPassWindowIncludesBothEnds) {
    constexpr std::int64_t kStep = 1000000;  // Fosc moves by GPS per N2_LS
    for (std::size_t i = 0; i < kPassWindows.size(); ++i) {
        const PassWindow& w = kPassWindows[i];
        const auto f3 = [&](std::int64_t gps) {
            return evaluateSetting({gps, 1, 1, 1, 1, 2, 2}).passes[i];
        };
        const auto fosc = [&](std::int64_t hz) {
            return evaluateSetting({kStep, 1, 1, hz / kStep, 1, 2, 2}).passes[i];
        };
        EXPECT_FALSE(has(f3(w.f3min), WindowFault::F3BelowWindow)) << i;
        EXPECT_TRUE(has(f3(w.f3min - 1), WindowFault::F3BelowWindow)) << i;
        EXPECT_FALSE(has(f3(w.f3max), WindowFault::F3AboveWindow)) << i;
        EXPECT_TRUE(has(f3(w.f3max + 1), WindowFault::F3AboveWindow)) << i;
        EXPECT_FALSE(has(fosc(w.foscMin), WindowFault::FoscBelowWindow)) << i;
        EXPECT_TRUE(has(fosc(w.foscMin - kStep), WindowFault::FoscBelowWindow)) << i;
        EXPECT_FALSE(has(fosc(w.foscMax), WindowFault::FoscAboveWindow)) << i;
        EXPECT_TRUE(has(fosc(w.foscMax + kStep), WindowFault::FoscAboveWindow)) << i;
    }
}

}  // namespace
