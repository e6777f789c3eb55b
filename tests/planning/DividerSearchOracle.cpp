#include "DividerSearchOracle.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>

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

// The output-2 divider an NC1_LS allows, or nothing when the NC is not to be used.
using Output2Rule = std::function<std::optional<std::int32_t>(std::int32_t nc)>;

SearchResult enumerate(double f1, const Output2Rule& output2, std::int32_t* nc2Found) {
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
                const std::optional<std::int32_t> nc2 = output2(nc);
                if (!nc2)
                    continue;
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
                                *nc2Found = *nc2;
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

}  // namespace

SearchResult enumerateDividersLiterally(double f1) {
    std::int32_t nc2 = 0;
    return enumerate(
        f1, [](std::int32_t nc) { return nc; }, &nc2);
}

std::optional<JointPlan> enumerateJointDividersLiterally(double f1, double f2) {
    // f2 x NC2 grows with NC2, so the even NC2 with f2 x NC2 = f1 x NC, if any, is the first
    // whose product is not below it.
    const auto output2 = [&](std::int32_t nc) -> std::optional<std::int32_t> {
        const double target = f1 * nc;
        std::int32_t low = 1;  // NC2 = 2 x index
        std::int32_t high = 524289;
        while (low < high) {
            const std::int32_t middle = low + (high - low) / 2;
            if (f2 * (2.0 * middle) >= target)
                high = middle;
            else
                low = middle + 1;
        }
        if (low > 524288 || f2 * (2.0 * low) != target)
            return std::nullopt;
        return 2 * low;
    };
    std::int32_t nc2 = 0;
    const SearchResult found = enumerate(f1, output2, &nc2);
    if (!found.plan)
        return std::nullopt;
    return JointPlan{*found.plan, nc2};
}

}  // namespace tarnwell::reference
