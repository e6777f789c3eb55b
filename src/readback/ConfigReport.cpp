#include "readback/ConfigReport.h"

#include <algorithm>

namespace tarnwell {

std::optional<FeatureReport> configurationReadRequest(std::size_t featureReportLength) {
    if (featureReportLength < kConfigReportMinimumLength) {
        return std::nullopt;
    }
    return FeatureReport(featureReportLength, 0);
}

std::optional<DeviceConfiguration> decodeConfigReport(std::span<const std::uint8_t> report) {
    if (report.size() < kConfigReportMinimumLength) {
        return std::nullopt;
    }
    const std::uint8_t enables = report[kConfigEnablesOffset];
    return DeviceConfiguration{
        .output1Enabled = (enables & kOutput1EnabledBit) != 0,
        .output2Enabled = (enables & kOutput2EnabledBit) != 0,
        .driveIndex = std::min<int>(report[kConfigDriveOffset], kMaxDriveIndex),
        .pll = decodePllSettings(report.subspan<kConfigPllSettingsOffset, kPllSettingsSize>())};
}

std::vector<std::uint8_t> encodeConfigReport(std::uint8_t outputEnables, std::uint8_t driveStrength,
                                             const PllSettingsBytes& pllSettings,
                                             std::size_t featureReportLength) {
    std::vector<std::uint8_t> report(std::max(featureReportLength, kConfigReportMinimumLength), 0);
    report[kConfigEnablesOffset] = outputEnables;
    report[kConfigDriveOffset] = driveStrength;
    std::ranges::copy(pllSettings, report.begin() + kConfigPllSettingsOffset);
    report.resize(featureReportLength);
    return report;
}

}  // namespace tarnwell
