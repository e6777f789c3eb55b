#pragma once

#include <array>
#include <string_view>

#include "device/FeatureReport.h"

namespace tarnwell {

// The drive strengths as the window lists them and the programs show and take them, indexed by
// the drive-strength byte.
inline constexpr std::array<std::string_view, kMaxDriveIndex + 1> kDriveStrengthTexts = {
    "8mA", "16mA", "24mA", "32mA"};

}  // namespace tarnwell
