#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/FeatureReport.h"
#include "planning/PllSettings.h"

namespace tarnwell {

// Layout of the configuration report the clock returns for feature report 0.
inline constexpr std::size_t kConfigEnablesOffset = 1;
inline constexpr std::size_t kConfigDriveOffset = 2;
inline constexpr std::size_t kConfigPllSettingsOffset = 3;
inline constexpr std::size_t kConfigReportMinimumLength =
    kConfigPllSettingsOffset + kPllSettingsSize;

struct DeviceConfiguration {
    bool output1Enabled = false;
    bool output2Enabled = false;
    int driveIndex = 0;  // 0..3; a larger byte from the device reads as the strongest drive
    PllSettings pll;
    friend bool operator==(const DeviceConfiguration&, const DeviceConfiguration&) = default;
};

// The zero-filled buffer that asks for the configuration; nothing when the device's feature
// reports are too short to carry it.
std::optional<FeatureReport> configurationReadRequest(std::size_t featureReportLength);

// The received bytes, report-ID byte included. Nothing when fewer than 22 arrived.
std::optional<DeviceConfiguration> decodeConfigReport(std::span<const std::uint8_t> report);

// The clock's side: the report it answers with, zeros after the record, cut off at the length.
std::vector<std::uint8_t> encodeConfigReport(std::uint8_t outputEnables, std::uint8_t driveStrength,
                                             const PllSettingsBytes& pllSettings,
                                             std::size_t featureReportLength);

}  // namespace tarnwell
