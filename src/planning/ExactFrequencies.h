#pragma once

// What a setting's dividers make, exactly: the frequencies as fractions, not the window's
// floating-point readouts.

#include <cstdint>

#include "planning/ClosestSetting.h"

namespace tarnwell {

// A setting as whole numbers, whatever their range.
struct GivenSetting {
    std::int64_t reference = 0;
    std::int64_t n31 = 0, n2hs = 0, n2ls = 0, n1hs = 0, nc1ls = 0, nc2ls = 0;
};

struct ExactFrequencies {
    Fraction out1;  // reference x N2_HS x N2_LS / (N31 x N1_HS x NC1_LS)
    Fraction out2;  // reference x N2_HS x N2_LS / (N31 x N1_HS x NC2_LS)
    Fraction f3;    // reference / N31
    Fraction fosc;  // reference x N2_HS x N2_LS / N31
};

// Each in lowest terms, worked out in 128 bits; a zero divisor leaves its fraction with
// denominator 0.
ExactFrequencies exactFrequencies(const GivenSetting& s);

}  // namespace tarnwell
