#pragma once

// The clock's numbers: what its record accepts and the windows the divider search keeps the PLL
// inside. Every search, check, clamp and help text reads them here.

#include <algorithm>
#include <array>
#include <cstdint>

namespace tarnwell {

// ---- What the record accepts --------------------------------------------------------------

inline constexpr std::int64_t kGpsMin = 1;  // reference frequency, Hz
inline constexpr std::int64_t kGpsMax = 10000000;
inline constexpr std::int64_t kN31Min = 1;
inline constexpr std::int64_t kN31Max = 1 << 19;
inline constexpr int kN2HsMin = 4;  // the search's N2_HS loop runs down to here and ends on it
inline constexpr int kN2HsMax = 11;
inline constexpr int kN1HsMin = 4;  // the search's N1_HS loop runs down to here and ends on it
inline constexpr int kN1HsMax = 11;
// N2_LS, NC1_LS and NC2_LS: even, within these.
inline constexpr std::int64_t kLowSpeedDividerMin = 2;
inline constexpr std::int64_t kN2LsMax = 1 << 20;
inline constexpr std::int64_t kNcMax = 1 << 20;  // NC1_LS and NC2_LS

// ---- What the divider search accepts ------------------------------------------------------

enum class SearchPass { Preferred, Wide };

// One pass of the search: the oscillator (Fosc) and phase-detector (F3) windows, both inclusive,
// in Hz. The preferred pass also wants a reference that is not a multiple of 48 and an NC that is
// a multiple of 3.
struct PassWindow {
    SearchPass pass = SearchPass::Preferred;
    std::int64_t foscMin = 0;
    std::int64_t foscMax = 0;
    std::int64_t f3min = 0;
    std::int64_t f3max = 0;
    bool preferredRules = false;
};

inline constexpr std::array<PassWindow, 2> kPassWindows{{
    {SearchPass::Preferred, 4850000000, 5670000000, 50000, 990000, true},
    {SearchPass::Wide, 4200000000, 6500000000, 20000, 2000000, false},
}};

inline constexpr std::int64_t kReferenceLimit = 5000000;  // the reference stays strictly below
inline constexpr std::int64_t kN31LoopScale = 1000;       // the N31 loop stops at Int(F3 / this)
inline constexpr std::int64_t kPreferredReferenceNotMultipleOf = 48;
inline constexpr std::int64_t kPreferredNcMultipleOf = 3;

inline constexpr std::int64_t kLowestFosc =
    std::min(kPassWindows[0].foscMin, kPassWindows[1].foscMin);
inline constexpr std::int64_t kHighestFosc =
    std::max(kPassWindows[0].foscMax, kPassWindows[1].foscMax);

// The output-1 frequencies the dividers can reach at all (the widest oscillator range over every
// N1_HS and NC); no frequency outside them can ever be accepted. The lower end is lowered by a
// hair so that rounding in f1 x N1_HS x NC cannot carry a frequency just below it into range; at
// the upper end f1 x N1_HS x NC is exact, so the quotient itself is the limit.
inline constexpr double kLowestSearchableFrequency =
    static_cast<double>(kLowestFosc) / (double(kN1HsMax) * double(kNcMax)) * (1 - 1e-12);
inline constexpr double kHighestSearchableFrequency =
    static_cast<double>(kHighestFosc) / (double(kN1HsMin) * double(kLowSpeedDividerMin));

}  // namespace tarnwell
