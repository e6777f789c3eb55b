#include "planning/ClosestSetting.h"

#include <gtest/gtest.h>

#include <cmath>

#include "ClosestSettingOracle.h"
#include "planning/SettingEvaluation.h"

namespace {

using namespace tarnwell;

// The clock's space scaled down about ten million times, so every setting can be walked.
SettingSpace smallSpace() {
    SettingSpace s;
    s.passes = {{{SearchPass::Preferred, 485, 567, 5, 99, true},
                 {SearchPass::Wide, 420, 650, 2, 200, false}}};
    s.referenceLimit = 500;
    s.n31Scale = 1;
    s.largestNc = 16;
    s.largestN2ls = 400;
    s.largestN31 = 30;
    return s;
}

// The optimisation and the literal walk agree on setting and error, with and without f itself.
TEST(ClosestSetting, AgreesWithEnumeratingEverySetting) {
    const SettingSpace space = smallSpace();
    int compared = 0;
    for (double f = 2.5; f < 90; f = f * 1.13 + 0.0625) {
        for (const bool excludeF : {false, true}) {
            const ClosestResult fast = findClosestSettingIn(space, f, excludeF);
            const auto slow = reference::closestByEnumeration(space, f, excludeF);
            ASSERT_EQ(fast.setting.has_value(), slow.has_value()) << f;
            if (!slow)
                continue;
            EXPECT_EQ(fast.setting->plan, slow->plan) << f << " excludeF " << excludeF;
            EXPECT_NEAR(fast.setting->errorHz, slow->errorHz, 1e-9 * f) << f;
            ++compared;
        }
    }
    EXPECT_GT(compared, 40);
}

// The clock's space: no exact setting for these, and the answer really makes the fraction shown.
TEST(ClosestSetting, AnswersTheClocksSpaceWithAConsistentSetting) {
    for (const double f : {9999991.0, 5000011.0, 3333333.3333}) {
        const ClosestResult r = findClosestSetting(f);
        ASSERT_EQ(r.outcome, SearchOutcome::Found) << f;
        const ClosestSetting& s = *r.setting;
        EXPECT_FALSE(s.exact);
        const SettingEvaluation e =
            evaluateSetting({s.plan.reference, s.plan.n31, s.plan.n2hs, s.plan.n2ls, s.plan.n1hs,
                             s.plan.nc, s.plan.nc});
        EXPECT_TRUE(e.limitFaults.empty());
        EXPECT_TRUE(e.passes[1].faults.empty()) << f;
        EXPECT_EQ(e.out1.numerator, s.out1.numerator);
        EXPECT_EQ(e.out1.denominator, s.out1.denominator);
        EXPECT_NE(s.errorHz, 0);
        EXPECT_LT(std::fabs(s.errorPpb), 0.01) << f;
    }
    const ClosestResult exact = findClosestSetting(10000000);
    EXPECT_TRUE(exact.setting->exact);
    EXPECT_EQ(exact.setting->plan, *findDividers(10000000).plan);
    EXPECT_EQ(findClosestSetting(100).outcome, SearchOutcome::NotFound);
    int calls = 0;
    EXPECT_EQ(findClosestSetting(9999991, [&](const ClosestProgress&) { return ++calls < 5; })
                  .outcome,
              SearchOutcome::Cancelled);
}

}  // namespace
