#include "planning/SettingEvaluation.h"

namespace tarnwell {

namespace {

using i128 = __int128;

i128 absI(i128 v) { return v < 0 ? -v : v; }

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

bool outside(std::int64_t v, std::int64_t lo, std::int64_t hi) { return v < lo || v > hi; }

}  // namespace

SettingEvaluation evaluateSetting(const GivenSetting& s) {
    SettingEvaluation e;
    const i128 k = static_cast<i128>(s.reference) * s.n2hs * s.n2ls;
    e.out1 = reduced(k, static_cast<i128>(s.n31) * s.n1hs * s.nc1ls);
    e.out2 = reduced(k, static_cast<i128>(s.n31) * s.n1hs * s.nc2ls);
    e.f3 = reduced(s.reference, s.n31);
    e.fosc = reduced(k, s.n31);

    auto limit = [&](bool broken, SettingFault fault) {
        if (broken)
            e.limitFaults.push_back(fault);
    };
    limit(outside(s.reference, kGpsMin, kGpsMax), SettingFault::ReferenceOutOfRange);
    limit(outside(s.n31, kN31Min, kN31Max), SettingFault::N31OutOfRange);
    limit(outside(s.n2hs, kN2HsMin, kN2HsMax), SettingFault::N2hsOutOfRange);
    limit(outside(s.n2ls, kLowSpeedDividerMin, kN2LsMax), SettingFault::N2lsOutOfRange);
    limit(s.n2ls % 2 != 0, SettingFault::N2lsOdd);
    limit(outside(s.n1hs, kN1HsMin, kN1HsMax), SettingFault::N1hsOutOfRange);
    limit(outside(s.nc1ls, kLowSpeedDividerMin, kNcMax), SettingFault::Nc1lsOutOfRange);
    limit(s.nc1ls % 2 != 0, SettingFault::Nc1lsOdd);
    limit(outside(s.nc2ls, kLowSpeedDividerMin, kNcMax), SettingFault::Nc2lsOutOfRange);
    limit(s.nc2ls % 2 != 0, SettingFault::Nc2lsOdd);

    for (std::size_t i = 0; i < kPassWindows.size(); ++i) {
        const PassWindow& w = kPassWindows[i];
        PassVerdict& v = e.passes[i];
        v.pass = w.pass;
        auto window = [&](bool broken, WindowFault fault) {
            if (broken)
                v.faults.push_back(fault);
        };
        // Compared exactly: F3 = ref / N31 and Fosc = K / N31 against whole-number bounds.
        const i128 r = s.n31 > 0 ? s.n31 : 1;
        window(s.reference < w.f3min * r, WindowFault::F3BelowWindow);
        window(s.reference > w.f3max * r, WindowFault::F3AboveWindow);
        window(k < static_cast<i128>(w.foscMin) * r, WindowFault::FoscBelowWindow);
        window(k > static_cast<i128>(w.foscMax) * r, WindowFault::FoscAboveWindow);
        window(s.reference >= kReferenceLimit, WindowFault::ReferenceNotBelowLimit);
        window(kN31LoopScale * r * r > s.reference, WindowFault::N31AboveLoop);
        if (w.preferredRules) {
            window(s.reference % kPreferredReferenceNotMultipleOf == 0,
                   WindowFault::ReferenceMultipleOf48);
            window(s.nc1ls % kPreferredNcMultipleOf != 0, WindowFault::NcNotMultipleOf3);
        }
        window(s.nc2ls != s.nc1ls, WindowFault::Nc2DiffersFromNc1);
    }
    return e;
}

}  // namespace tarnwell
