#pragma once

// The setting whose output 1 comes closest to a frequency the divider search finds no exact
// setting for. Pure and Qt-free; the window and tarnwell-plan turn the values into text.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "planning/DividerSearch.h"

namespace tarnwell {

// The settings the search's loops range over, with the acceptance rules of each pass. The clock's
// values are the defaults; tests narrow them to a space small enough to enumerate.
using PassRules = PassWindow;

struct SettingSpace {
    std::array<PassRules, 2> passes = kPassWindows;
    std::int64_t referenceLimit = kReferenceLimit;  // the reference stays strictly below
    std::int64_t n31Scale = kN31LoopScale;          // the N31 loop stops at Int(F3 / n31Scale)
    int n1Lowest = kN1HsMin;
    int n1Highest = kN1HsMax;
    int n2hsLowest = kN2HsMin;
    int n2hsHighest = kN2HsMax;
    std::int64_t largestNc = kNcMax;     // NC1_LS, even
    std::int64_t largestN2ls = kN2LsMax;  // even
    std::int64_t largestN31 = kN31Max;
};

struct Fraction {
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;
};

struct ClosestSetting {
    DividerPlan plan;        // pass: Preferred when the setting meets the preferred pass's rules
    Fraction out1;           // the output-1 frequency it makes, in lowest terms
    double errorHz = 0;      // out1 - f
    double errorPpb = 0;     // errorHz / f x 1e9
    bool exact = false;      // the divider search's own answer for f (error 0)
};

struct ClosestProgress {
    int groupsDone = 0;   // (pass, N31, N1_HS) groups finished
    int groupCount = 0;
};
// Called at least once per group and every few thousand steps inside one; false cancels.
using ClosestProgressCallback = std::function<bool(const ClosestProgress&)>;

struct ClosestResult {
    SearchOutcome outcome = SearchOutcome::NotFound;
    std::optional<ClosestSetting> setting;
};

// The setting whose output 1 is nearest to f among all settings of the clock's space. When
// findDividers(f) finds a setting, that is the answer (error 0). Otherwise the setting with the
// smallest |out1 - f|; on equal errors the one meeting the preferred pass's rules, then the
// search's order (N1_HS descending, NC ascending, N2_HS descending, N2_LS ascending, N31
// descending), then the lower frequency. NotFound only for a frequency outside
// isSearchableFrequency.
ClosestResult findClosestSetting(double f, const ClosestProgressCallback& progress = {});

// The same optimisation over any space. excludeF leaves out settings that make f exactly (the
// caller knows there are none, or wants the nearest other one).
ClosestResult findClosestSettingIn(const SettingSpace& space, double f, bool excludeF,
                                   const ClosestProgressCallback& progress = {});

}  // namespace tarnwell
