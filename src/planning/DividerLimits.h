#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/NumberText.h"
#include "planning/ClockLimits.h"

namespace tarnwell {

// The seven boxes of reference frequency and dividers, in the order the clamp rule visits them.
enum class PllBox { GPS, N31, N2_HS, N2_LS, N1_HS, NC1_LS, NC2_LS };
inline constexpr std::size_t kPllBoxCount = 7;

struct DividerLimit {
    PllBox box;
    std::string_view name;
    double defaultValue;
    double minimum;
    double maximum;
    bool mustBeEven;
};

inline constexpr std::array<DividerLimit, kPllBoxCount> kDividerLimits{{
    {PllBox::GPS, "GPS", 2875000, kGpsMin, kGpsMax, false},
    {PllBox::N31, "N31", 3, kN31Min, kN31Max, false},
    {PllBox::N2_HS, "N2_HS", 11, kN2HsMin, kN2HsMax, false},
    {PllBox::N2_LS, "N2_LS", 480, kLowSpeedDividerMin, kN2LsMax, true},
    {PllBox::N1_HS, "N1_HS", 11, kN1HsMin, kN1HsMax, false},
    {PllBox::NC1_LS, "NC1_LS", 46, kLowSpeedDividerMin, kNcMax, true},
    {PllBox::NC2_LS, "NC2_LS", 46, kLowSpeedDividerMin, kNcMax, true},
}};

using PllBoxTexts = std::array<std::string, kPllBoxCount>;

// Forces each text into its box's range, in table order: a text that is not a number becomes the
// default, then the minimum and maximum apply, then an odd whole number in an even-only box is
// lowered by one. Each step reads the text the previous step left.
void clampDividers(PllBoxTexts& texts, const NumberLocale& locale = {});

}  // namespace tarnwell
