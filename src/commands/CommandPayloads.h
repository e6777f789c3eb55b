#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "device/FeatureReport.h"

namespace tarnwell {

// The reports of the output and device commands, each a fresh buffer of the device's feature
// length. Nothing when the device's reports are too short for the command, or for a value the
// command cannot carry.

std::optional<FeatureReport> outputEnableReport(bool output1Enabled, bool output2Enabled,
                                                std::size_t featureReportLength);

// The clock identifies at most one output at a time.
enum class IdentifySelection : std::uint8_t { Off = 0, Output1 = 1, Output2 = 2 };
std::optional<FeatureReport> identifyReport(IdentifySelection selection,
                                            std::size_t featureReportLength);

std::optional<FeatureReport> driveStrengthReport(int driveIndex, std::size_t featureReportLength);

std::optional<FeatureReport> writeRegisterReport(std::uint8_t address, std::uint8_t value,
                                                 std::size_t featureReportLength);

std::optional<FeatureReport> sleepReport(std::size_t featureReportLength);

}  // namespace tarnwell
