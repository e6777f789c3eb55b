#include "planning/NearestExact.h"

#include <cmath>

#include "planning/PrimeFactors.h"

namespace tarnwell {

namespace {

// A candidate that can be decided without the search.
bool worthSearching(double g) {
    return isSearchableFrequency(g) && !provablyWithoutExactSetting(static_cast<std::uint64_t>(g));
}

}  // namespace

// An exact setting makes g x R x N1_HS x NC = ref x N2_HS x N2_LS, so every prime factor P of g
// divides ref (below kReferenceLimit), N2_HS (<= 11) or N2_LS (<= Fosc / (N2_HS x F3min) <=
// 81250). A prime from kReferenceLimit up divides none of them.
bool provablyWithoutExactSetting(std::uint64_t g) {
    constexpr auto kLimit = static_cast<std::uint64_t>(kReferenceLimit);
    if (g < kLimit || g > kLargestFactorizable)
        return false;
    const PrimeFactors factors = factorize(g);  // powers() looks into it
    const auto powers = factors.powers();
    return !powers.empty() && powers.back().prime >= kLimit;
}

NearestExact findNearestExact(double f, const SearchProgressCallback& progress) {
    NearestExact answer;
    if (!isSearchableFrequency(f))
        return answer;
    const double reach = kNearestExactReach * f;
    double down = std::ceil(f) - 1;  // the next whole number below f
    double up = std::floor(f) + 1;   // the next whole number above f
    bool downOpen = true;
    bool upOpen = true;
    auto settle = [&](double g, std::optional<ExactNeighbour>& side, bool& open) -> bool {
        if (std::fabs(g - f) > reach || g < 1) {
            open = false;
            return true;
        }
        if (!worthSearching(g))
            return true;
        const SearchResult r = findDividers(g, progress);
        if (r.outcome == SearchOutcome::Cancelled)
            return false;
        if (r.outcome == SearchOutcome::Found) {
            side = ExactNeighbour{g, *r.plan, g - f, (g - f) / f * 1e6};
            open = false;
        }
        return true;
    };
    // Nearest first on both sides together, so a caller that stops early has the closer one.
    while (downOpen || upOpen) {
        const bool takeDown = downOpen && (!upOpen || f - down <= up - f);
        const bool ok = takeDown ? settle(down--, answer.below, downOpen)
                                 : settle(up++, answer.above, upOpen);
        if (!ok) {
            answer.outcome = SearchOutcome::Cancelled;
            return answer;
        }
    }
    answer.outcome =
        answer.below || answer.above ? SearchOutcome::Found : SearchOutcome::NotFound;
    return answer;
}

}  // namespace tarnwell
