#pragma once

// The nearest whole frequencies with an exact setting, for a frequency the divider search finds
// none for. Pure and Qt-free; the window and tarnwell-plan turn the values into text.

#include <cstdint>
#include <optional>

#include "planning/DividerSearch.h"

namespace tarnwell {

// How far from f the nearest-exact look goes on each side, as a share of f.
inline constexpr double kNearestExactReach = 0.01;

struct ExactNeighbour {
    double frequency = 0;    // a whole number of Hz
    DividerPlan plan;        // what findDividers answers for it
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

// The whole frequencies output 1 can reach at all, as the window and tarnwell-plan tell them.
struct WholeFrequencyRange {
    double lowest = 0;
    double highest = 0;
};
WholeFrequencyRange reachableWholeFrequencies();

// For a positive f outside the reachable range: the end of the range nearest to it, when that
// end has an exact setting (it is offered whatever its distance). Nothing otherwise.
std::optional<ExactNeighbour> reachableEndWithSetting(double f);

// True when no setting can make the whole frequency g exactly: g has a prime factor above every
// divider and reference that could take it (see the .cpp). Exposed for the tests.
bool provablyWithoutExactSetting(std::uint64_t g);

}  // namespace tarnwell
