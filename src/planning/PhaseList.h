#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/NumberText.h"

namespace tarnwell {

inline constexpr int kMaxPhaseEntries = 256;

// The phase steps of output 2 for the NC1_LS text: min(NC1_LS, 256) entries of 360 / NC1_LS
// degrees starting at 0, each in hundredths of a degree rounded half up ("0", "7.5", "25.71").
// Empty when the text is not a number.
std::vector<std::string> phaseEntries(std::string_view nc1Text, const NumberLocale& locale = {});

}  // namespace tarnwell
