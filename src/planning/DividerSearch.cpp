#include "planning/DividerSearch.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <utility>

#include "planning/PrimeFactors.h"

namespace tarnwell {

namespace {

// The pass windows in the doubles the loops compute with.
struct LoopWindow {
    SearchPass pass;
    double foscMin;
    double foscMax;
    double f3min;
    std::int32_t f3max;
    bool preferredRules;
};

constexpr LoopWindow loopWindow(const PassWindow& w) {
    return {w.pass,
            static_cast<double>(w.foscMin),
            static_cast<double>(w.foscMax),
            static_cast<double>(w.f3min),
            static_cast<std::int32_t>(w.f3max),
            w.preferredRules};
}

constexpr LoopWindow kLoopWindows[] = {loopWindow(kPassWindows[0]), loopWindow(kPassWindows[1])};

constexpr auto kReferenceBound = static_cast<double>(kReferenceLimit);  // strictly below
constexpr auto kLargestLowSpeedDivider = static_cast<double>(kNcMax);
static_assert(kNcMax == kN2LsMax, "one bound serves the NC and N2_LS loops");
constexpr auto kLargestN31 = static_cast<double>(kN31Max);
constexpr int kHighestN1 = kN1HsMax;
constexpr int kLowestN1 = kN1HsMin;
constexpr int kHighestN2 = kN2HsMax;
constexpr int kLowestN2 = kN2HsMin;
constexpr auto kPreferredRefDivisor = static_cast<double>(kPreferredReferenceNotMultipleOf);

// No accepted candidate has N31 above 70. R <= Int(Fc / 1000) means Fc / 1000 rounds to at least
// R, so Fc >= 1000 R (1 - 2^-53) and ref = Int(R x Fc) >= 1000 R^2 - 1; ref < 5000000 then
// needs R^2 < 5000.
constexpr int kLargestAcceptableN31 = 70;
static_assert(kN31LoopScale * kLargestAcceptableN31 * kLargestAcceptableN31 < kReferenceLimit &&
                  kN31LoopScale * (kLargestAcceptableN31 + 1) * (kLargestAcceptableN31 + 1) >=
                      kReferenceLimit + 1,
              "70 is the largest R with 1000 R^2 - 1 below the reference limit");

// NC values skipped in a row before the caller hears of the search again: a long run of
// skipped values must not starve a caller that relies on the reports to stay responsive.
constexpr int kSkippedNcPerReport = 1024;

struct Range {
    std::int64_t first = 0;
    std::int64_t last = -1;
    bool contains(std::int64_t v) const { return v >= first && v <= last; }
};

// The NC loop bounds. A NaN or out-of-range quotient leaves the range empty before anything is
// converted to an integer.
Range ncRange(const LoopWindow& w, double f1TimesN1) {
    double lo = 2 * std::floor(w.foscMin / f1TimesN1 / 2 + 0.999);
    if (lo < 2)
        lo = 2;
    double hi = 2 * std::floor(w.foscMax / f1TimesN1 / 2);
    if (hi > kLargestLowSpeedDivider)
        hi = kLargestLowSpeedDivider;
    if (!(lo <= hi))
        return {};
    return {static_cast<std::int64_t>(lo), static_cast<std::int64_t>(hi)};
}

// The N2_LS loop bounds; only asked for an Fosc inside the pass's window, which keeps them between
// a few hundred and 81250.
Range n2lsRange(const LoopWindow& w, double fosc, int h) {
    const double lo = 2 * std::floor(fosc / (h * w.f3max) / 2 + 0.999);
    const double hi = 2 * std::floor(fosc / (w.f3min * h) / 2);
    return {static_cast<std::int64_t>(lo), static_cast<std::int64_t>(hi)};
}

// The innermost step of the loops for one (NC, N2_HS, N2_LS, N31) whose N2_LS lies within its
// loop bounds: the N31 bounds of this N2_LS, the reference, the exactness test and every
// acceptance rule, on the same doubles in the same order. The reference, when accepted.
std::optional<double> acceptedReference(const LoopWindow& w, std::int64_t nc, double fosc, int h,
                                        std::int64_t l, std::int64_t r) {
    const double fc = fosc / static_cast<double>(h * l);
    double rLo = std::floor(fc / kReferenceBound + 0.999);
    if (rLo < 1)
        rLo = 1;
    double rHi = std::floor(fc / static_cast<double>(kN31LoopScale));
    if (rHi > kLargestN31)
        rHi = kLargestN31;
    const auto rr = static_cast<double>(r);
    if (rr < rLo || rr > rHi)
        return std::nullopt;
    const double ref = std::floor(rr * fc);
    if (rr * fosc != static_cast<double>(l) * ref * h)
        return std::nullopt;
    const double f3 = ref / rr;
    if (!(fosc >= w.foscMin && fosc <= w.foscMax && ref < kReferenceBound &&
          l <= kLargestLowSpeedDivider && f3 >= w.f3min && f3 <= w.f3max))
        return std::nullopt;
    if (w.preferredRules &&
        (std::fmod(ref, kPreferredRefDivisor) == 0 || nc % kPreferredNcMultipleOf != 0))
        return std::nullopt;
    return ref;
}

// (N2_HS, N2_LS, N31) of one NC, ordered as the loops visit them: N2_HS descending, then N2_LS
// ascending, then N31 descending.
struct Candidate {
    int h = 0;
    std::int64_t l = 0;
    int r = 0;
    bool precedes(const Candidate& other) const {
        if (h != other.h)
            return h > other.h;
        if (l != other.l)
            return l < other.l;
        return r > other.r;
    }
};

struct Acceptance {
    Candidate candidate;
    double reference = 0;
};

using N31Set = std::bitset<kLargestAcceptableN31 + 1>;

// One NC that can yield a setting, and what every candidate of it shares.
struct NcContext {
    const LoopWindow& window;
    std::int64_t nc = 0;
    double fosc = 0;
    std::optional<PrimeFactors> foscFactors;  // when Fosc is a whole number
    N31Set wholeMultiples;                    // the R whose R x Fosc is a whole double
    std::array<Range, kHighestN2 + 1> n2lsRanges{};
};

N31Set wholeMultiplesOf(double fosc) {
    N31Set whole;
    for (int r = 1; r <= kLargestAcceptableN31; ++r) {
        const double x = r * fosc;
        whole[static_cast<std::size_t>(r)] = x == std::floor(x);
    }
    return whole;
}

// The largest D = N2_LS x N2_HS of any candidate that would come before `best`.
std::uint64_t largestPrecedingProduct(const NcContext& c, const Candidate& best) {
    std::int64_t d = best.h * best.l;
    for (int h = best.h + 1; h <= kHighestN2; ++h)
        d = std::max(d, h * c.n2lsRanges[h].last);
    return static_cast<std::uint64_t>(d);
}

// The first accepted candidate of one NC in loop order, found without walking the loops:
// - the right side of the exactness test, L x ref x H, is a whole number computed exactly
//   (L <= 81250 and ref < 5000000 keep it below 2^53), so only an R whose X = R x Fosc (a double)
//   is whole can pass, and then D = L x H divides X with quotient ref;
// - ref lies between R x F3min and R x F3max (ref / R is compared with whole-number limits, and
//   a quotient of whole numbers with R <= 70 is never within rounding of them unless equal),
//   below 5000000, and at least 1000 R^2 - 1 (see kLargestAcceptableN31);
// - L = D / H is even and inside the N2_LS loop bounds.
// So the divisors ref of X in that range, each giving D = X / ref, include every accepted
// candidate. Each goes through the literal step; the earliest accepted one in loop order wins.
std::optional<Acceptance> firstAcceptedOfNc(const NcContext& c) {
    const LoopWindow& w = c.window;
    std::optional<Acceptance> best;
    for (int r = 1; r <= kLargestAcceptableN31; ++r) {
        if (!c.wholeMultiples[static_cast<std::size_t>(r)])
            continue;
        const auto x = static_cast<std::uint64_t>(r * c.fosc);
        auto refLo = static_cast<std::uint64_t>(
            std::max(r * w.f3min, static_cast<double>(kN31LoopScale) * r * r - 1));
        const auto refHi = static_cast<std::uint64_t>(
            std::min(kReferenceBound - 1, static_cast<double>(r) * w.f3max));
        // Once something is accepted, only a smaller D, that is a larger ref, can come before it.
        if (best)
            refLo = std::max(refLo, x / largestPrecedingProduct(c, best->candidate));
        if (refLo > refHi)
            continue;
        PrimeFactors factors;
        if (c.foscFactors) {
            factors = factorize(static_cast<std::uint64_t>(r));
            factors *= *c.foscFactors;
        } else {
            factors = factorize(x);
        }
        forEachDivisorBetween(factors, refLo, refHi, [&](std::uint64_t ref) {
            const std::uint64_t d = x / ref;
            for (int h = kHighestN2; h >= kLowestN2; --h) {
                const Candidate candidate{h, static_cast<std::int64_t>(d / h), r};
                // Smaller N2_HS values of this D come later still.
                if (best && !candidate.precedes(best->candidate))
                    return;
                if (d % static_cast<std::uint64_t>(2 * h) != 0 ||
                    !c.n2lsRanges[h].contains(candidate.l))
                    continue;
                if (auto accepted = acceptedReference(w, c.nc, c.fosc, h, candidate.l, r)) {
                    best = Acceptance{candidate, *accepted};
                    return;
                }
            }
        });
    }
    return best;
}

std::optional<PrimeFactors> factorsIfWhole(double value) {
    if (value != std::floor(value) || value < 1 ||
        value > static_cast<double>(kLargestFactorizable))
        return std::nullopt;
    return factorize(static_cast<std::uint64_t>(value));
}

// The NC worth examining, or nothing when the NC provably yields no accepted candidate.
std::optional<NcContext> prepareNc(const LoopWindow& w, std::int64_t nc, double f1TimesN1,
                                   const std::optional<PrimeFactors>& f1TimesN1Factors) {
    // The preferred pass accepts only an NC that is a multiple of 3.
    if (w.preferredRules && nc % kPreferredNcMultipleOf != 0)
        return std::nullopt;
    NcContext c{w, nc, f1TimesN1 * static_cast<double>(nc), std::nullopt, {}, {}};
    // Acceptance needs Fosc inside the window (the rounded-up NC_lo and the rounded-down NC_hi
    // let the first and the last NC fall just outside).
    if (!(c.fosc >= w.foscMin && c.fosc <= w.foscMax))
        return std::nullopt;
    if (c.fosc == std::floor(c.fosc)) {
        c.wholeMultiples.set().reset(0);
        // A whole f1 x N1 makes the product exact, so its factors are those of the two parts.
        if (f1TimesN1Factors) {
            c.foscFactors = factorize(static_cast<std::uint64_t>(nc));
            *c.foscFactors *= *f1TimesN1Factors;
        } else {
            c.foscFactors = factorize(static_cast<std::uint64_t>(c.fosc));
        }
    } else {
        // Only an R with R x Fosc whole can pass the exactness test (see firstAcceptedOfNc).
        c.wholeMultiples = wholeMultiplesOf(c.fosc);
        if (c.wholeMultiples.none())
            return std::nullopt;
    }
    for (int h = kHighestN2; h >= kLowestN2; --h)
        c.n2lsRanges[h] = n2lsRange(w, c.fosc, h);
    return c;
}

class Search {
public:
    Search(double f1, const SearchProgressCallback& progress, NcFilter allowNc = {})
        : f1_(f1), progress_(progress), allowNc_(std::move(allowNc)) {}

    SearchResult run() {
        for (const LoopWindow& w : kLoopWindows) {
            for (int n1 = kHighestN1; n1 >= kLowestN1; --n1) {
                if (auto result = searchN1(w, n1))
                    return *result;
            }
        }
        return notFound(f1_);
    }

    // Only the loop bounds decide where the loops end, so nothing needs to be walked.
    static SearchResult notFound(double f1) {
        ExhaustedLoops end;
        for (const LoopWindow& w : kLoopWindows) {
            for (int n1 = kHighestN1; n1 >= kLowestN1; --n1) {
                const Range ncs = ncRange(w, f1 * n1);
                if (ncs.first <= ncs.last)
                    end.nc = static_cast<int>(ncs.last);
            }
        }
        return {SearchOutcome::NotFound, std::nullopt, end};
    }

private:
    std::optional<SearchResult> searchN1(const LoopWindow& w, int n1) {
        const double x = f1_ * n1;
        const Range ncs = ncRange(w, x);
        if (ncs.first > ncs.last)
            return std::nullopt;
        const std::optional<PrimeFactors> xFactors = factorsIfWhole(x);
        for (std::int64_t nc = ncs.first; nc <= ncs.last; nc += 2) {
            const std::optional<NcContext> context =
                !allowNc_ || allowNc_(nc) ? prepareNc(w, nc, x, xFactors) : std::nullopt;
            if (!context) {
                if (++skippedInARow_ < kSkippedNcPerReport)
                    continue;
                skippedInARow_ = 0;
                if (!report(w, n1, nc, kHighestN2))
                    return cancelled();
                continue;
            }
            skippedInARow_ = 0;
            const std::optional<Acceptance> accepted = firstAcceptedOfNc(*context);
            // The N2_HS values the loops pass through before they stop or move on.
            const int lastH = accepted ? accepted->candidate.h : kLowestN2;
            for (int h = kHighestN2; h >= lastH; --h)
                if (!report(w, n1, nc, h))
                    return cancelled();
            if (accepted)
                return found(w, n1, nc, *accepted);
        }
        return std::nullopt;
    }

    bool report(const LoopWindow& w, int n1, std::int64_t nc, int h) const {
        return !progress_ || progress_(SearchProgress{w.pass, n1, static_cast<int>(nc), h});
    }

    static SearchResult found(const LoopWindow& w, int n1, std::int64_t nc, const Acceptance& a) {
        const Candidate& c = a.candidate;
        return {SearchOutcome::Found,
                DividerPlan{w.pass, n1, static_cast<int>(nc), c.h, static_cast<int>(c.l), c.r,
                            static_cast<std::int64_t>(a.reference)},
                std::nullopt};
    }

    static SearchResult cancelled() { return {SearchOutcome::Cancelled, std::nullopt, {}}; }

    double f1_;
    const SearchProgressCallback& progress_;
    NcFilter allowNc_;
    int skippedInARow_ = 0;
};

}  // namespace

SearchResult findDividers(double out1Frequency, const SearchProgressCallback& progress) {
    // Outside these bounds no oscillator frequency can reach a pass's window, and inside them
    // every loop bound stays far within range.
    if (!isSearchableFrequency(out1Frequency))
        return Search::notFound(out1Frequency);
    return Search(out1Frequency, progress).run();
}

SearchResult findDividersWhere(double out1Frequency, const NcFilter& allowNc) {
    if (!isSearchableFrequency(out1Frequency))
        return Search::notFound(out1Frequency);
    static const SearchProgressCallback kNoProgress;
    return Search(out1Frequency, kNoProgress, allowNc).run();
}

PllBoxValues pllValuesOf(const DividerPlan& plan) {
    return {.gps = static_cast<double>(plan.reference),
            .n31 = double(plan.n31),
            .n2hs = double(plan.n2hs),
            .n2ls = double(plan.n2ls),
            .n1hs = double(plan.n1hs),
            .nc1ls = double(plan.nc),
            .nc2ls = double(plan.nc)};
}

bool isSearchableFrequency(double out1Frequency) {
    return std::isfinite(out1Frequency) && out1Frequency >= kLowestSearchableFrequency &&
           out1Frequency <= kHighestSearchableFrequency;
}

}  // namespace tarnwell
