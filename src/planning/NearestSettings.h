#pragma once

// What to offer when the divider search finds no exact setting for a frequency: the nearest whole
// frequencies that do have one, and the setting whose output 1 comes closest to the frequency.
// Pure and Qt-free; the window and tarnwell-plan turn the values into text.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "planning/DividerSearch.h"

namespace tarnwell {

// ---- Nearest exact frequencies -------------------------------------------------------------

// How far from f the nearest-exact look goes: 1% of f on each side.
inline constexpr double kNearestExactReach = 0.01;

struct ExactNeighbour {
    double frequency = 0;  // a whole number of Hz
    DividerPlan plan;      // what findDividers answers for it
    double distanceHz = 0;   // frequency - f (negative below f)
    double distancePpm = 0;  // distanceHz / f x 1e6
};

struct NearestExact {
    SearchOutcome outcome = SearchOutcome::NotFound;  // Cancelled, or NotFound when done
    std::optional<ExactNeighbour> below;  // the largest whole frequency < f with a setting
    std::optional<ExactNeighbour> above;  // the smallest whole frequency > f with a setting
};

// Looks at whole frequencies g with |g - f| <= kNearestExactReach x f, nearest first (so for a
// fractional f the nearest whole hertz comes first), and answers for each side exactly what
// running findDividers(g) at every step would. A side stays empty when nothing within reach has
// a setting. The progress callback sees every findDividers call's progress; false cancels.
NearestExact findNearestExact(double f, const SearchProgressCallback& progress = {});

// True when no setting can make the whole frequency g exactly: g has a prime factor above every
// divider and reference that could take it (see the .cpp). Exposed for the tests.
bool provablyWithoutExactSetting(std::uint64_t g);

// ---- Closest setting -----------------------------------------------------------------------

// The settings the search's loops range over, with the acceptance rules of each pass. The clock's
// values are the defaults; tests narrow them to a space small enough to enumerate.
struct PassRules {
    SearchPass pass = SearchPass::Preferred;
    std::int64_t foscMin = 0;  // Hz, inclusive
    std::int64_t foscMax = 0;
    std::int64_t f3min = 0;  // Hz, inclusive
    std::int64_t f3max = 0;
    bool preferredRules = false;  // reference not a multiple of 48, NC a multiple of 3
};

struct SettingSpace {
    std::array<PassRules, 2> passes{{
        {SearchPass::Preferred, 4850000000, 5670000000, 50000, 990000, true},
        {SearchPass::Wide, 4200000000, 6500000000, 20000, 2000000, false},
    }};
    std::int64_t referenceLimit = 5000000;  // the reference stays strictly below
    std::int64_t n31Scale = 1000;           // the N31 loop stops at Int(F3 / n31Scale)
    int n1Lowest = 4;
    int n1Highest = 11;
    int n2hsLowest = 4;
    int n2hsHighest = 11;
    std::int64_t largestNc = 1048576;  // NC1_LS, even
    std::int64_t largestN2ls = 1048576;  // even
    std::int64_t largestN31 = 524288;
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

// ---- Evaluating a given setting ------------------------------------------------------------

enum class SettingFault {
    ReferenceOutOfRange,  // GPS outside 1..10000000
    N31OutOfRange,
    N2hsOutOfRange,
    N2lsOutOfRange,
    N2lsOdd,
    N1hsOutOfRange,
    Nc1lsOutOfRange,
    Nc1lsOdd,
    Nc2lsOutOfRange,
    Nc2lsOdd,
};

enum class WindowFault {
    F3BelowWindow,
    F3AboveWindow,
    FoscBelowWindow,
    FoscAboveWindow,
    ReferenceNotBelowLimit,  // the search keeps the reference below 5000000
    N31AboveLoop,            // N31 above Int(F3 / 1000)
    ReferenceMultipleOf48,   // preferred pass only
    NcNotMultipleOf3,        // preferred pass only
    Nc2DiffersFromNc1,
};

struct GivenSetting {
    std::int64_t reference = 0;
    std::int64_t n31 = 0, n2hs = 0, n2ls = 0, n1hs = 0, nc1ls = 0, nc2ls = 0;
};

struct PassVerdict {
    SearchPass pass;
    std::vector<WindowFault> faults;  // empty: the pass would accept it, exactness aside
};

struct SettingEvaluation {
    Fraction out1;  // reference x N2_HS x N2_LS / (N31 x N1_HS x NC1_LS), lowest terms
    Fraction out2;
    Fraction f3;
    Fraction fosc;
    std::vector<SettingFault> limitFaults;  // the divider limits it breaks
    std::array<PassVerdict, 2> passes;      // preferred, wide
};

// Every quantity is computed exactly; a zero divisor leaves its fraction with denominator 0.
SettingEvaluation evaluateSetting(const GivenSetting& s);

}  // namespace tarnwell
