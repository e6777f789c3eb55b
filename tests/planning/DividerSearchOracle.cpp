#include "DividerSearchOracle.h"

#include <cmath>
#include <cstdint>

namespace tarnwell::reference {

namespace {

struct LiteralPass {
    SearchPass pass;
    double foscMin;
    double foscMax;
    double f3min;
    std::int32_t f3max;
    bool preferredRules;
};

constexpr LiteralPass kLiteralPasses[] = {
    {SearchPass::Preferred, 4850000000.0, 5670000000.0, 50000.0, 990000, true},
    {SearchPass::Wide, 4200000000.0, 6500000000.0, 20000.0, 2000000, false},
};

// Int(x), the largest whole number not above x. The same as std::floor, which on a plain x86-64
// target is a library call; this is the loop that runs billions of times.
double intOf(double x) {
    if (!(std::fabs(x) < 0x1p62))
        return std::floor(x);
    const auto t = static_cast<double>(static_cast<std::int64_t>(x));
    return t > x ? t - 1 : t;
}

bool accepted(const LiteralPass& p, double fosc, double ref, std::int64_t l, std::int64_t r,
              std::int32_t nc) {
    if (!(fosc >= p.foscMin && fosc <= p.foscMax && ref < 5000000 && l <= 1048576 &&
          ref / static_cast<double>(r) >= p.f3min && ref / static_cast<double>(r) <= p.f3max))
        return false;
    if (!p.preferredRules)
        return true;
    return std::fmod(ref, 48) != 0 && nc % 3 == 0;
}

}  // namespace

SearchResult enumerateDividersLiterally(double f1) {
    ExhaustedLoops written;  // what the loops wrote into the boxes
    for (const LiteralPass& p : kLiteralPasses) {
        for (std::int32_t n1 = 11; n1 >= 4; --n1) {
            written.n1hs = n1;
            double ncLo = 2 * std::floor(p.foscMin / (f1 * n1) / 2 + 0.999);
            if (ncLo < 2)
                ncLo = 2;
            double ncHi = 2 * std::floor(p.foscMax / (f1 * n1) / 2);
            if (ncHi > 1048576)
                ncHi = 1048576;
            // Both bounds now lie in the 32-bit range whenever the loop runs at all; a NaN
            // bound fails the comparison and, like an empty range, runs no iteration.
            if (!(ncLo <= ncHi))
                continue;
            const auto ncLast = static_cast<std::int32_t>(ncHi);
            for (auto nc = static_cast<std::int32_t>(ncLo); nc <= ncLast; nc += 2) {
                written.nc = nc;
                const double fosc = f1 * n1 * nc;
                for (std::int32_t h = 11; h >= 4; --h) {
                    const double lLo = 2 * std::floor(fosc / (h * p.f3max) / 2 + 0.999);
                    const double lHi = 2 * std::floor(fosc / (p.f3min * h) / 2);
                    if (!(lLo <= lHi))
                        continue;
                    const auto lLast = static_cast<std::int64_t>(lHi);
                    for (auto l = static_cast<std::int64_t>(lLo); l <= lLast; l += 2) {
                        const double fc = fosc / static_cast<double>(h * l);
                        double rLo = std::floor(fc / 5000000 + 0.999);
                        if (rLo < 1)
                            rLo = 1;
                        double rHi = std::floor(fc / 1000);
                        if (rHi > 524288)
                            rHi = 524288;
                        if (!(rLo <= rHi))
                            continue;
                        const auto rLast = static_cast<std::int64_t>(rLo);
                        for (auto r = static_cast<std::int64_t>(rHi); r >= rLast; --r) {
                            const double ref = intOf(static_cast<double>(r) * fc);
                            const bool exact =
                                static_cast<double>(r) * fosc == static_cast<double>(l) * ref * h;
                            if (exact && accepted(p, fosc, ref, l, r, nc)) {
                                return {SearchOutcome::Found,
                                        DividerPlan{p.pass, n1, nc, h, static_cast<int>(l),
                                                    static_cast<int>(r),
                                                    static_cast<std::int64_t>(ref)},
                                        std::nullopt};
                            }
                        }
                    }
                }
            }
        }
    }
    // N1_HS and N2_HS loops always run down to 4.
    written.n1hs = 4;
    return {SearchOutcome::NotFound, std::nullopt, written};
}

}  // namespace tarnwell::reference
