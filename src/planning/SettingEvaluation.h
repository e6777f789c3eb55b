#pragma once

// What a given setting makes and which limits, windows and rules it breaks: tarnwell-plan's
// --dividers, and the exact frequencies tarnwell-ctl reports.

#include <array>
#include <cstdint>
#include <vector>

#include "planning/ClosestSetting.h"

namespace tarnwell {

enum class SettingFault {
    ReferenceOutOfRange,  // GPS outside kGpsMin..kGpsMax
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
    ReferenceNotBelowLimit,  // the search keeps the reference below kReferenceLimit
    N31AboveLoop,            // N31 above Int(F3 / kN31LoopScale)
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
