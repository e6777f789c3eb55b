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

// Each divider limit holds its ends and refuses one step beyond either (even steps for the even
// dividers, so that only the range is at stake).
TEST(SettingEvaluation, EachDividerLimitIncludesBothEnds) {
    struct Limit {
        std::int64_t GivenSetting::*field;
        std::int64_t lowest, highest, step;
        SettingFault fault;
    };
    const Limit limits[] = {
        {&GivenSetting::reference, kGpsMin, kGpsMax, 1, SettingFault::ReferenceOutOfRange},
        {&GivenSetting::n31, kN31Min, kN31Max, 1, SettingFault::N31OutOfRange},
        {&GivenSetting::n2hs, kN2HsMin, kN2HsMax, 1, SettingFault::N2hsOutOfRange},
        {&GivenSetting::n2ls, kLowSpeedDividerMin, kN2LsMax, 2, SettingFault::N2lsOutOfRange},
        {&GivenSetting::n1hs, kN1HsMin, kN1HsMax, 1, SettingFault::N1hsOutOfRange},
        {&GivenSetting::nc1ls, kLowSpeedDividerMin, kNcMax, 2, SettingFault::Nc1lsOutOfRange},
        {&GivenSetting::nc2ls, kLowSpeedDividerMin, kNcMax, 2, SettingFault::Nc2lsOutOfRange},
    };
    for (const Limit& limit : limits) {
        const auto faults = [&](std::int64_t value) {
            GivenSetting s{4687500, 5, 11, 512, 11, 48, 48};
            s.*limit.field = value;
            return std::ranges::count(evaluateSetting(s).limitFaults, limit.fault);
        };
        EXPECT_EQ(faults(limit.lowest), 0);
        EXPECT_EQ(faults(limit.highest), 0);
        EXPECT_EQ(faults(limit.lowest - limit.step), 1);
        EXPECT_EQ(faults(limit.highest + limit.step), 1);
    }
}

}  // namespace
