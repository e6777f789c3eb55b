#pragma once

#include <cstddef>
#include <optional>

#include "device/FeatureReport.h"
#include "planning/PllSettings.h"

namespace tarnwell {

// Every setting goes to the clock twice in a row.
inline constexpr int kProgrammingPasses = 2;

// Command 4: the PllSettings record in bytes 2 to 20. Nothing when the device's feature reports
// are shorter than 21 bytes.
std::optional<FeatureReport> setFrequencyReport(const PllSettingsBytes& settings,
                                                std::size_t featureReportLength);

}  // namespace tarnwell
