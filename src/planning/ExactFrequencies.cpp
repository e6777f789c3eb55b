#include "planning/ExactFrequencies.h"

namespace tarnwell {

namespace {

using i128 = __int128;

i128 absI(i128 v) {
    return v < 0 ? -v : v;
}

Fraction reduced(i128 n, i128 d) {
    if (d == 0)
        return Fraction{0, 0};
    i128 a = absI(n);
    i128 b = absI(d);
    while (b != 0) {
        const i128 t = a % b;
        a = b;
        b = t;
    }
    if (a == 0)
        a = 1;
    return Fraction{static_cast<std::int64_t>(n / a), static_cast<std::int64_t>(d / a)};
}

}  // namespace

ExactFrequencies exactFrequencies(const GivenSetting& s) {
    const i128 k = static_cast<i128>(s.reference) * s.n2hs * s.n2ls;
    return {reduced(k, static_cast<i128>(s.n31) * s.n1hs * s.nc1ls),
            reduced(k, static_cast<i128>(s.n31) * s.n1hs * s.nc2ls), reduced(s.reference, s.n31),
            reduced(k, s.n31)};
}

}  // namespace tarnwell
