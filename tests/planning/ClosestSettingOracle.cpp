#include "ClosestSettingOracle.h"

#include <cmath>
#include <tuple>

namespace tarnwell::reference {

namespace {

using i128 = __int128;

struct Pick {
    bool preferred;
    int n1;
    std::int64_t nc;
    int h;
    std::int64_t l;
    std::int64_t r;
    std::int64_t k;
    std::int64_t ref;
    i128 errNum;  // |K - f B| x 2^40, exact for the frequencies the tests use
    std::int64_t b;
};

bool better(const Pick& x, const Pick& y) {
    const i128 lhs = x.errNum * y.b;
    const i128 rhs = y.errNum * x.b;
    if (lhs != rhs)
        return lhs < rhs;
    return std::make_tuple(!x.preferred, -x.n1, x.nc, -x.h, x.l, -x.r, x.k) <
           std::make_tuple(!y.preferred, -y.n1, y.nc, -y.h, y.l, -y.r, y.k);
}

}  // namespace

std::optional<ClosestSetting> closestByEnumeration(const SettingSpace& space, double f,
                                                   bool excludeF) {
    const auto fScaled = static_cast<i128>(std::ldexp(f, 40));  // tests keep f a multiple of 2^-40
    std::optional<Pick> best;
    for (const PassRules& p : space.passes) {
        for (std::int64_t r = 1; r <= space.largestN31; ++r) {
            for (std::int64_t ref = 1; ref < space.referenceLimit; ++ref) {
                if (ref < p.f3min * r || ref > p.f3max * r || space.n31Scale * r * r > ref)
                    continue;
                if (p.preferredRules && ref % 48 == 0)
                    continue;
                for (int h = space.n2hsHighest; h >= space.n2hsLowest; --h) {
                    for (std::int64_t l = 2; l <= space.largestN2ls; l += 2) {
                        const std::int64_t k = ref * h * l;
                        if (k > p.foscMax * r)
                            break;
                        if (k < p.foscMin * r)
                            continue;
                        for (int n1 = space.n1Highest; n1 >= space.n1Lowest; --n1) {
                            for (std::int64_t nc = 2; nc <= space.largestNc; nc += 2) {
                                if (p.preferredRules && nc % 3 != 0)
                                    continue;
                                const std::int64_t b = r * n1 * nc;
                                const i128 diff = (static_cast<i128>(k) << 40) - fScaled * b;
                                if (excludeF && diff == 0)
                                    continue;
                                const Pick pick{p.preferredRules,        n1, nc, h, l, r, k, ref,
                                                diff < 0 ? -diff : diff, b};
                                if (!best || better(pick, *best))
                                    best = pick;
                            }
                        }
                    }
                }
            }
        }
    }
    if (!best)
        return std::nullopt;
    ClosestSetting s;
    s.plan = DividerPlan{best->preferred ? SearchPass::Preferred : SearchPass::Wide,
                         best->n1,
                         static_cast<int>(best->nc),
                         best->h,
                         static_cast<int>(best->l),
                         static_cast<int>(best->r),
                         best->ref};
    s.errorHz = static_cast<double>(best->k) / static_cast<double>(best->b) - f;
    return s;
}

}  // namespace tarnwell::reference
