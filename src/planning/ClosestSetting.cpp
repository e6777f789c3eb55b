#include "planning/ClosestSetting.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "planning/PrimeFactors.h"

namespace tarnwell {

namespace {

using i128 = __int128;

// A setting (pass, N1, NC, H, L, R, ref) makes out1 = K / B with K = ref x H x L and
// B = R x N1 x NC. For a fixed group (pass, R, N1) write NC = 2 s j (s = 3 in the preferred pass,
// whose NC must be a multiple of 3, else 1), so B = c j with c = 2 s R N1. The error is
// |K - T| / B with T = f B. Everything is exact: f is a double, so f = P / q with q = 2^k, and
// q T = P c j is a whole number.
//
// Why the answer is the closest:
// 1. For a given triple (group, j) only K matters: every decomposition K = ref x H x L with the
//    pass's ref range, F3 and Fosc windows (Fosc = K / R) gives the same frequency, and we take
//    the earliest in the search's order. K is even (L is even) and lies in [R FoscMin, R FoscMax].
//    evaluateTriple walks the even K outward from T, nearest first, and stops at the first one
//    that decomposes or once |K - T| / B exceeds the best error so far: no K further out can do
//    better.
// 2. A j whose Fosc target f N1 NC is further than best x N1 NC outside the Fosc window cannot
//    beat the best (every K / R is in the window): the j range shrinks to ncBounds.
// 3. Inside the range the distance from T to the nearest even number is a lower bound of the
//    error x B. In scaled units it is min(r, M - r) with r = (a j) mod M, a = P c mod M, M = 2q.
//    A j can only matter when that is <= W = best x B_j x q; the j are taken in descending order,
//    so B_j only shrinks and W computed at the current j bounds every later one. firstHit jumps
//    straight to the next j whose residue lies in [M - W, M + W] (mod M) by Euclid-like descent,
//    so no j that could matter is skipped, and those that cannot are never touched.
// 4. When f is never made exactly (excludeF), the residue 0 means the nearest other even number is
//    2 away; the smallest nonzero distance is g = gcd(a, M) (residues are multiples of g), so a
//    group ends once g / (q B_j) exceeds the best.
// Ties are settled by comparing errors exactly (cross-multiplied in 128 bits) and then by the
// search's order, so the answer does not depend on the order groups are visited in.

i128 absI(i128 v) { return v < 0 ? -v : v; }

// Smallest x >= 0 with lo <= (a x) mod m <= hi (0 <= lo <= hi < m, 0 <= a < m), or -1.
// If [lo, hi] holds a multiple of a, ceil(lo / a) is the answer; otherwise a x - m y lands in
// [lo, hi] exactly when (m y) mod a lies in [(-hi) mod a, (-lo) mod a], and the smallest such y
// gives the smallest x.
i128 firstHit(i128 a, i128 m, i128 lo, i128 hi) {
    if (lo == 0)
        return 0;
    if (a == 0)
        return -1;
    const i128 x = (lo + a - 1) / a;
    if (a * x <= hi)
        return x;
    const i128 y = firstHit(m % a, a, (a - hi % a) % a, (a - lo % a) % a);
    if (y < 0)
        return -1;
    return (lo + m * y + a - 1) / a;
}

// Smallest t >= 0 with (a t + b) mod m in [lo, hi] (0 <= lo <= hi < m), or -1.
i128 firstHitFrom(i128 a, i128 b, i128 m, i128 lo, i128 hi) {
    const i128 l = ((lo - b) % m + m) % m;
    const i128 h = l + (hi - lo);
    if (h < m)
        return firstHit(a, m, l, h);
    const i128 t1 = firstHit(a, m, l, m - 1);
    const i128 t2 = firstHit(a, m, 0, h - m);
    if (t1 < 0)
        return t2;
    if (t2 < 0)
        return t1;
    return std::min(t1, t2);
}

struct Candidate {
    SearchPass pass = SearchPass::Wide;
    int n1 = 0;
    std::int64_t nc = 0;
    int h = 0;
    std::int64_t l = 0;
    std::int64_t r = 0;
    std::int64_t ref = 0;
    std::int64_t k = 0;
    std::int64_t b = 0;
    i128 scaledError = 0;  // |q K - P B|; the error is scaledError / (q B)
};

// Order of settings with equal error: preferred rules first, then the search's order.
bool comesFirst(const Candidate& x, const Candidate& y) {
    if (x.pass != y.pass)
        return x.pass == SearchPass::Preferred;
    if (x.n1 != y.n1)
        return x.n1 > y.n1;
    if (x.nc != y.nc)
        return x.nc < y.nc;
    if (x.h != y.h)
        return x.h > y.h;
    if (x.l != y.l)
        return x.l < y.l;
    if (x.r != y.r)
        return x.r > y.r;
    return x.k < y.k;
}

// -1, 0, 1 as the error of x is below, equal to, above that of y.
int compareErrors(const Candidate& x, const Candidate& y) {
    const i128 lhs = x.scaledError * y.b;
    const i128 rhs = y.scaledError * x.b;
    return lhs < rhs ? -1 : (lhs > rhs ? 1 : 0);
}

struct Group {
    const PassRules* rules = nullptr;
    const SettingSpace* space = nullptr;
    std::int64_t r = 0;
    int n1 = 0;
    std::int64_t refLo = 0;
    std::int64_t refHi = 0;
};

// The earliest decomposition K = ref x H x L of the group in the search's order (H descending,
// L ascending), or nothing.
std::optional<Candidate> decompose(const Group& g, std::int64_t k) {
    std::optional<Candidate> best;
    const auto consider = [&](std::uint64_t ref) {
        const auto refS = static_cast<std::int64_t>(ref);
        if (g.rules->preferredRules && refS % kPreferredReferenceNotMultipleOf == 0)
            return;
        const std::int64_t rest = k / refS;
        for (int h = g.space->n2hsHighest; h >= g.space->n2hsLowest; --h) {
            if (best && h < best->h)
                return;
            if (rest % (2 * h) != 0)
                continue;
            const std::int64_t l = rest / h;
            if (l > g.space->largestN2ls)
                continue;
            if (!best || h > best->h || l < best->l) {
                best = Candidate{};
                best->h = h;
                best->l = l;
                best->ref = refS;
            }
            return;
        }
    };
    if (k <= 0 || static_cast<std::uint64_t>(k) > kLargestFactorizable)
        return std::nullopt;
    forEachDivisorBetween(factorize(static_cast<std::uint64_t>(k)),
                          static_cast<std::uint64_t>(g.refLo), static_cast<std::uint64_t>(g.refHi),
                          consider);
    return best;
}

class ClosestSearch {
public:
    ClosestSearch(const SettingSpace& space, double f, bool excludeF,
                  const ClosestProgressCallback& progress)
        : space_(space), f_(f), excludeF_(excludeF), progress_(progress) {
        int e = 0;
        const double m = std::frexp(f, &e);  // f = m 2^e, 0.5 <= m < 1
        // f = mantissa x 2^(e - 53) with a whole 53-bit mantissa; strip twos from the scale.
        auto p = static_cast<std::int64_t>(std::ldexp(m, 53));
        int shift = e - 53;
        while (shift < 0 && p % 2 == 0) {
            p /= 2;
            ++shift;
        }
        p_ = static_cast<i128>(p);
        q_ = 1;
        if (shift >= 0)
            p_ <<= shift;
        else
            q_ <<= -shift;
    }

    ClosestResult run() {
        std::vector<Group> groups;
        for (const PassRules& rules : space_.passes) {
            for (std::int64_t r = std::min<std::int64_t>(space_.largestN31, 100000); r >= 1; --r) {
                Group g{&rules, &space_, r, 0, 0, 0};
                g.refLo = std::max({r * rules.f3min, space_.n31Scale * r * r, std::int64_t{1}});
                g.refHi = std::min(r * rules.f3max, space_.referenceLimit - 1);
                if (g.refLo > g.refHi)
                    continue;
                for (int n1 = space_.n1Highest; n1 >= space_.n1Lowest; --n1) {
                    g.n1 = n1;
                    groups.push_back(g);
                }
            }
        }
        // A first round over the NC whose Fosc target lies in the window finds a good error
        // early, so the second, complete round prunes almost everything.
        progressNow_ = ClosestProgress{0, 2 * static_cast<int>(groups.size())};
        for (const bool seeding : {true, false}) {
            seeding_ = seeding;
            for (const Group& g : groups) {
                if (!searchGroup(g))
                    return {SearchOutcome::Cancelled, std::nullopt};
                ++progressNow_.groupsDone;
                if (progress_ && !progress_(progressNow_))
                    return {SearchOutcome::Cancelled, std::nullopt};
            }
        }
        if (!best_)
            return {SearchOutcome::NotFound, std::nullopt};
        return {SearchOutcome::Found, toSetting(*best_)};
    }

private:
    // The best error as a double with a relative margin, for bounds that only need a superset.
    double bestErrorUpper() const {
        if (!best_)
            return INFINITY;
        return static_cast<double>(best_->scaledError) /
               (static_cast<double>(q_) * static_cast<double>(best_->b)) * (1 + 1e-9) + 1e-300;
    }

    // The j whose Fosc target is close enough to the window (point 2).
    std::pair<std::int64_t, std::int64_t> jBounds(const Group& g, std::int64_t s) const {
        const double e = seeding_ ? 0.0 : bestErrorUpper();
        const std::int64_t jMax = space_.largestNc / (2 * s);
        const double step = 2.0 * static_cast<double>(s) * g.n1;
        double lo = std::floor(static_cast<double>(g.rules->foscMin) / (step * (f_ + e))) - 1;
        double hi = e < f_ ? std::ceil(static_cast<double>(g.rules->foscMax) / (step * (f_ - e))) + 1
                           : static_cast<double>(jMax);
        lo = std::max(lo, 1.0);
        hi = std::min(hi, static_cast<double>(jMax));
        return {static_cast<std::int64_t>(lo), static_cast<std::int64_t>(hi)};
    }

    bool searchGroup(const Group& g) {
        const std::int64_t s = g.rules->preferredRules ? kPreferredNcMultipleOf : 1;
        const i128 c = 2 * s * g.r * g.n1;
        const i128 m = 2 * q_;
        const i128 a = (p_ * c) % m;
        const i128 gcdAm = std::gcd(static_cast<std::int64_t>(a), static_cast<std::int64_t>(m));
        auto [jLo, j] = jBounds(g, s);
        int steps = 0;
        while (j >= jLo) {
            if (++steps % 4096 == 0 && progress_ && !progress_(progressNow_))
                return false;
            const i128 bq = c * j * q_;  // q B_j
            if (best_) {
                // Point 4: nothing left in this group can reach the best error.
                const i128 floorDist = excludeF_ ? gcdAm : 0;
                if (floorDist * best_->b > best_->scaledError * (bq / q_))
                    return true;
            }
            if (best_) {
                // Point 3: residues that could still matter, W = best x q B_j (rounded up).
                const i128 w = (best_->scaledError * (bq / q_) + best_->b - 1) / best_->b;
                if (2 * w + 1 < m) {
                    const i128 b0 = (a * j) % m;  // residue at t = 0, walking j down
                    const i128 step = (m - a) % m;
                    i128 t;
                    if (excludeF_) {
                        // [M - W, M - 1] and [1, W]: shifted by W, [0, W - 1] and [W + 1, 2W].
                        const i128 base = (b0 + w) % m;
                        const i128 t1 = w >= 1 ? firstHitFrom(step, base, m, 0, w - 1) : -1;
                        const i128 t2 = w >= 1 ? firstHitFrom(step, base, m, w + 1, 2 * w) : -1;
                        t = t1 < 0 ? t2 : (t2 < 0 ? t1 : std::min(t1, t2));
                    } else {
                        t = firstHitFrom(step, (b0 + w) % m, m, 0, 2 * w);
                    }
                    if (t < 0 || t > j - jLo)
                        return true;
                    j -= static_cast<std::int64_t>(t);
                }
            }
            evaluateTriple(g, s, j);
            const auto bounds = jBounds(g, s);
            jLo = bounds.first;
            j = std::min(j - 1, bounds.second);
        }
        return true;
    }

    // Point 1: the even K nearest T, outward; at equal distance both sides are offered.
    void evaluateTriple(const Group& g, std::int64_t s, std::int64_t j) {
        const std::int64_t nc = 2 * s * j;
        const std::int64_t b = g.r * g.n1 * nc;
        const i128 tq = p_ * b;  // q T
        const std::int64_t kMinRaw = g.r * g.rules->foscMin;
        const std::int64_t kMin = kMinRaw + (kMinRaw & 1);
        const std::int64_t kMax = (g.r * g.rules->foscMax) & ~std::int64_t{1};
        const i128 tFloor = tq / q_;
        auto down = static_cast<std::int64_t>(tFloor - (tFloor & 1));  // largest even <= T
        std::int64_t up = down + 2;
        if (excludeF_ && static_cast<i128>(down) * q_ == tq)
            down -= 2;
        down = std::min(down, kMax);
        up = std::max(up, kMin);
        while (true) {
            const bool downOk = down >= kMin;
            const bool upOk = up <= kMax;
            if (!downOk && !upOk)
                return;
            const i128 dd = downOk ? absI(tq - static_cast<i128>(down) * q_) : -1;
            const i128 du = upOk ? absI(static_cast<i128>(up) * q_ - tq) : -1;
            const i128 d = !downOk ? du : (!upOk ? dd : std::min(dd, du));
            if (best_ && d * best_->b > best_->scaledError * b)
                return;
            bool any = false;
            if (downOk && dd == d) {
                any = offer(g, nc, b, down, d) || any;
                down -= 2;
            }
            if (upOk && du == d) {
                any = offer(g, nc, b, up, d) || any;
                up += 2;
            }
            if (any)
                return;
        }
    }

    bool offer(const Group& g, std::int64_t nc, std::int64_t b, std::int64_t k, i128 d) {
        std::optional<Candidate> c = decompose(g, k);
        if (!c)
            return false;
        c->pass = g.rules->pass;
        c->n1 = g.n1;
        c->nc = nc;
        c->r = g.r;
        c->k = k;
        c->b = b;
        c->scaledError = d;
        if (!best_) {
            best_ = c;
            return true;
        }
        const int cmp = compareErrors(*c, *best_);
        if (cmp < 0 || (cmp == 0 && comesFirst(*c, *best_)))
            best_ = c;
        return true;
    }

    ClosestSetting toSetting(const Candidate& c) const {
        ClosestSetting s;
        s.plan = DividerPlan{c.pass, c.n1, static_cast<int>(c.nc), c.h, static_cast<int>(c.l),
                             static_cast<int>(c.r), c.ref};
        const std::int64_t gg = std::gcd(c.k, c.b);
        s.out1 = Fraction{c.k / gg, c.b / gg};
        const i128 signedScaled = static_cast<i128>(c.k) * q_ - p_ * c.b;
        s.errorHz = static_cast<double>(signedScaled) /
                    (static_cast<double>(q_) * static_cast<double>(c.b));
        s.errorPpb = s.errorHz / f_ * 1e9;
        return s;
    }

    const SettingSpace& space_;
    double f_;
    bool excludeF_;
    const ClosestProgressCallback& progress_;
    i128 p_ = 0;
    i128 q_ = 1;
    std::optional<Candidate> best_;
    ClosestProgress progressNow_;
    bool seeding_ = false;
};

}  // namespace

ClosestResult findClosestSettingIn(const SettingSpace& space, double f, bool excludeF,
                                   const ClosestProgressCallback& progress) {
    if (!std::isfinite(f) || !(f > 0) || f > 1e12)
        return {};
    return ClosestSearch(space, f, excludeF, progress).run();
}

ClosestResult findClosestSetting(double f, const ClosestProgressCallback& progress) {
    if (!isSearchableFrequency(f))
        return {};
    const SearchResult exact = findDividers(f, [&](const SearchProgress&) {
        return !progress || progress(ClosestProgress{0, 0});
    });
    if (exact.outcome == SearchOutcome::Cancelled)
        return {SearchOutcome::Cancelled, std::nullopt};
    if (exact.outcome == SearchOutcome::Found) {
        // The search's own answer: error 0, and first in its order among the exact ones.
        ClosestResult r{SearchOutcome::Found, ClosestSetting{}};
        const DividerPlan& p = *exact.plan;
        r.setting->plan = p;
        const std::int64_t k = p.reference * p.n2hs * p.n2ls;
        const std::int64_t b = static_cast<std::int64_t>(p.n31) * p.n1hs * p.nc;
        const std::int64_t g = std::gcd(k, b);
        r.setting->out1 = Fraction{k / g, b / g};
        r.setting->exact = true;
        return r;
    }
    // The search has shown that no setting makes f itself.
    return findClosestSettingIn(SettingSpace{}, f, true, progress);
}

}  // namespace tarnwell
