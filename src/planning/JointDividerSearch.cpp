#include "planning/JointDividerSearch.h"

#include <cmath>

#include "planning/ClockLimits.h"
#include "planning/Output2List.h"

namespace tarnwell {

namespace {

bool usableFrequency(double f) {
    return std::isfinite(f) && f > 0;
}

Output2Choice choiceAt(double f1, int nc1, int index, double f2) {
    const double value = out2Value(f1, nc1, index);
    return {out2DividerForIndex(index), value, value - f2, (value - f2) / f2 * 1e6};
}

}  // namespace

PllBoxValues pllValuesOf(const JointPlan& plan) {
    PllBoxValues values = pllValuesOf(plan.plan);
    values.nc2ls = plan.nc2;
    return values;
}

std::optional<std::int64_t> output2DividerFor(double f1, std::int64_t nc1, double f2) {
    const double target = f1 * static_cast<double>(nc1);
    const double quotient = target / f2;
    if (!std::isfinite(quotient) || quotient < kLowSpeedDividerMin - 2 || quotient > kNcMax + 2)
        return std::nullopt;
    // Rounding in the quotient may put it beside the divider; the equality below decides, and
    // f2 x NC2 moves by 2 f2 per even step, so at most one divider can pass it.
    const double nearestEven = 2 * std::round(quotient / 2);
    for (const double nc2 : {nearestEven - 2, nearestEven, nearestEven + 2}) {
        if (nc2 >= kLowSpeedDividerMin && nc2 <= kNcMax && f2 * nc2 == target)
            return static_cast<std::int64_t>(nc2);
    }
    return std::nullopt;
}

std::optional<JointPlan> findJointDividers(double f1, double f2) {
    if (!usableFrequency(f2))
        return std::nullopt;
    const SearchResult found = findDividersWhere(
        f1, [&](std::int64_t nc) { return output2DividerFor(f1, nc, f2).has_value(); });
    if (!found.plan)
        return std::nullopt;
    const auto nc2 = output2DividerFor(f1, found.plan->nc, f2);
    return JointPlan{*found.plan, static_cast<int>(*nc2)};
}

JointFallback nearestOutput2Choices(double f1, double f2) {
    JointFallback fallback;
    const SearchResult single = findDividers(f1);
    if (single.outcome != SearchOutcome::Found || !single.plan || !usableFrequency(f2))
        return fallback;
    fallback.out1 = single.plan;
    const int nc1 = single.plan->nc;
    // The list's rule taken over the whole NC2_LS range: the window's list stops at NC2_LS =
    // NC1_LS, which would leave nothing below output 1. It falls as the index grows: find the
    // first entry at or below f2.
    const int end = static_cast<int>(kNcMax / 2);  // one past the last index
    int low = 0;
    int high = end;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (out2Value(f1, nc1, middle) <= f2)
            high = middle;
        else
            low = middle + 1;
    }
    if (low < end)
        fallback.below = choiceAt(f1, nc1, low, f2);
    if (low > 0)
        fallback.above = choiceAt(f1, nc1, low - 1, f2);
    return fallback;
}

}  // namespace tarnwell
