#include "commands/CommandPayloads.h"

#include <array>
#include <cstdint>

namespace tarnwell {

namespace {

// Fixed by the clock's firmware: 50 as 16 bits, 10000000 twice as 32 bits, a zero 32-bit word
// and the byte 0x41, all little-endian.
constexpr std::array<std::uint8_t, 15> kSleepPayload = {
    0x32, 0x00, 0x80, 0x96, 0x98, 0x00, 0x80, 0x96, 0x98, 0x00, 0x00, 0x00, 0x00, 0x00, 0x41};

std::optional<FeatureReport> singleByteReport(CommandCode code, std::uint8_t value,
                                              std::size_t featureReportLength) {
    const std::array<std::uint8_t, 1> payload = {value};
    return buildFeatureReport(code, payload, featureReportLength);
}

}  // namespace

std::optional<FeatureReport> outputEnableReport(bool output1Enabled, bool output2Enabled,
                                                std::size_t featureReportLength) {
    const auto bits = static_cast<std::uint8_t>((output1Enabled ? kOutput1EnabledBit : 0) |
                                                (output2Enabled ? kOutput2EnabledBit : 0));
    return singleByteReport(CommandCode::CmdOutputEnable, bits, featureReportLength);
}

std::optional<FeatureReport> identifyReport(IdentifySelection selection,
                                            std::size_t featureReportLength) {
    return singleByteReport(CommandCode::CmdIdentify, static_cast<std::uint8_t>(selection),
                            featureReportLength);
}

std::optional<FeatureReport> driveStrengthReport(int driveIndex, std::size_t featureReportLength) {
    if (driveIndex < 0 || driveIndex > kMaxDriveIndex) {
        return std::nullopt;
    }
    return singleByteReport(CommandCode::CmdDriveStrength, static_cast<std::uint8_t>(driveIndex),
                            featureReportLength);
}

std::optional<FeatureReport> writeRegisterReport(std::uint8_t address, std::uint8_t value,
                                                 std::size_t featureReportLength) {
    const std::array<std::uint8_t, 2> payload = {address, value};
    return buildFeatureReport(CommandCode::CmdWriteRegister, payload, featureReportLength);
}

std::optional<FeatureReport> sleepReport(std::size_t featureReportLength) {
    return buildFeatureReport(CommandCode::CmdSleep, kSleepPayload, featureReportLength);
}

}  // namespace tarnwell
