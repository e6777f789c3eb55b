#include <cmath>
#include <cstring>
#include <optional>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "common/NumberText.h"
#include "planning/DividerSearch.h"
#include "planning/PllModel.h"

namespace tarnwell::fuzz {

namespace {

// Progress reports a run may take before it cancels: a search that keeps reporting is cut short
// there, and one that stops reporting is caught by libFuzzer's time limit.
constexpr std::size_t kProgressBudget = 256;

// A frequency as typed when the input reads as a number, otherwise any double from its first
// eight bytes (NaN, infinities, subnormals and all).
double frequencyOf(const std::uint8_t* data, std::size_t size) {
    if (const std::optional<double> typed = parseNumber(asText(data, size)))
        return *typed;
    std::uint8_t bytes[sizeof(double)] = {};
    std::memcpy(bytes, data, std::min(size, sizeof bytes));
    double value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

bool evenIn(int value, int low, int high) {
    return value >= low && value <= high && value % 2 == 0;
}

// A found setting is legal, exact by the search's own test, accepted by its pass's rules, and
// gives back the frequency asked for.
void checkPlan(const DividerPlan& plan, double f1) {
    require(plan.n1hs >= 4 && plan.n1hs <= 11 && plan.n2hs >= 4 && plan.n2hs <= 11 &&
                evenIn(plan.nc, 2, 1048576) && evenIn(plan.n2ls, 2, 1048576) && plan.n31 >= 1 &&
                plan.n31 <= 524288,
            "every divider of a found setting lies in its range");
    const double fosc = f1 * plan.n1hs * plan.nc;
    const double ref = double(plan.reference);
    require(double(plan.n31) * fosc == double(plan.n2ls) * ref * plan.n2hs,
            "a found setting is exact");
    const double f3 = ref / plan.n31;
    require(ref < 5000000 && ref >= 1, "the reference stays below 5 MHz");
    if (plan.pass == SearchPass::Preferred) {
        require(fosc >= 4850000000.0 && fosc <= 5670000000.0 && f3 >= 50000 && f3 <= 990000 &&
                    plan.reference % 48 != 0 && plan.nc % 3 == 0,
                "a preferred-pass setting keeps the preferred rules");
    } else {
        require(fosc >= 4200000000.0 && fosc <= 6500000000.0 && f3 >= 20000 && f3 <= 2000000,
                "a wide-pass setting keeps the wide window");
    }
    const double out1 = output1Frequency(pllValuesOf(plan));
    require(std::fabs(out1 - f1) <= 1e-9 * f1, "a found setting gives the frequency asked for");
}

}  // namespace

// Any double as the wanted output-1 frequency: the search answers or refuses, never hangs, and
// stops as soon as its caller says so.
int fuzzDividerSearch(const std::uint8_t* data, std::size_t size) {
    const double f1 = frequencyOf(data, size);
    std::size_t reports = 0;
    bool reportedAfterCancel = false;
    const SearchResult result = findDividers(f1, [&](const SearchProgress& at) {
        require(at.n1hs >= 4 && at.n1hs <= 11 && at.n2hs >= 4 && at.n2hs <= 11 &&
                    evenIn(at.nc, 2, 1048576),
                "progress shows loop values in their ranges");
        reportedAfterCancel = reportedAfterCancel || reports > kProgressBudget;
        return ++reports <= kProgressBudget;
    });
    require(!reportedAfterCancel, "a cancelled search stops at once");

    switch (result.outcome) {
        case SearchOutcome::Found:
            require(result.plan.has_value(), "a found search carries its setting");
            require(isSearchableFrequency(f1), "only a searchable frequency finds a setting");
            checkPlan(*result.plan, f1);
            break;
        case SearchOutcome::NotFound:
            require(!result.plan, "a failed search carries no setting");
            break;
        case SearchOutcome::Cancelled:
            require(!result.plan && reports > kProgressBudget,
                    "a search is cancelled only by its caller");
            break;
    }
    return 0;
}

}  // namespace tarnwell::fuzz
