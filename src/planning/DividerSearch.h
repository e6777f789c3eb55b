#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "planning/ClockLimits.h"
#include "planning/PllSettings.h"

namespace tarnwell {

// A complete setting for one output-1 frequency. NC is used for both NC1_LS and NC2_LS.
struct DividerPlan {
    SearchPass pass = SearchPass::Preferred;
    int n1hs = 0;
    int nc = 0;
    int n2hs = 0;
    int n2ls = 0;
    int n31 = 0;
    std::int64_t reference = 0;  // GPS reference frequency, Hz
    friend bool operator==(const DividerPlan&, const DividerPlan&) = default;
};

// The plan as the values it programs (NC in both NC1_LS and NC2_LS; phase 0, BW 0).
PllBoxValues pllValuesOf(const DividerPlan& plan);

// Where the search is: the loop values the window shows while it runs.
struct SearchProgress {
    SearchPass pass = SearchPass::Preferred;
    int n1hs = 0;
    int nc = 0;
    int n2hs = 0;
};

// Called while the search runs, at least at every (pass, N1_HS, NC, N2_HS) the search works on and
// also now and then while it skips NC values; returning false cancels the search. The search
// skips every NC that cannot yield a setting, so the reported values jump.
using SearchProgressCallback = std::function<bool(const SearchProgress&)>;

enum class SearchOutcome { Found, NotFound, Cancelled };

// The loop values that walking every loop without success leaves behind: N1_HS ends at its lowest,
// and when any NC loop ran, NC ends at the last NC of the last one and N2_HS at its lowest.
struct ExhaustedLoops {
    int n1hs = kN1HsMin;
    std::optional<int> nc;  // N2_HS is kN2HsMin with it; neither was written when no NC loop ran
    friend bool operator==(const ExhaustedLoops&, const ExhaustedLoops&) = default;
};

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::NotFound;
    std::optional<DividerPlan> plan;          // set when Found
    std::optional<ExhaustedLoops> exhausted;  // set when NotFound
};

// The first setting that is exact and accepted, in the order of the two-pass enumeration: preferred
// pass first, then N1_HS descending, NC ascending, N2_HS descending, N2_LS ascending, N31
// descending. The answer is that of walking every loop; the loops themselves are not walked.
// Any double is answered (NaN, infinities, zero and negatives find nothing) without hanging.
SearchResult findDividers(double out1Frequency, const SearchProgressCallback& progress = {});

// Says whether an NC1_LS may be used at all, before any of its candidates is looked at.
using NcFilter = std::function<bool(std::int64_t nc)>;

// The same search with one more acceptance rule on NC1_LS: the answer is the first accepted
// candidate in the same order whose NC the filter passes. The skips stay valid because the rule
// removes whole NC values and changes nothing inside one.
SearchResult findDividersWhere(double out1Frequency, const NcFilter& allowNc);

// The lowest output-1 frequency, in Hz, that any program asks the search for: below it the
// search's loop bounds would leave the 32-bit range. Text, zero and negatives are no frequency at
// all. Everything from here up is searched: a frequency outside the dividers' reach ends like any
// other without an exact setting.
inline constexpr double kLowestWantedFrequency = 1.0;

// Within kLowestSearchableFrequency .. kHighestSearchableFrequency.
bool isSearchableFrequency(double out1Frequency);

}  // namespace tarnwell
