#include "device/FeatureReport.h"

#include <algorithm>

namespace tarnwell {

namespace {

// Payload bytes each command sets, from byte 2 on.
std::size_t payloadLength(CommandCode code) {
    switch (code) {
        case CommandCode::CmdOutputEnable:
        case CommandCode::CmdIdentify:
        case CommandCode::CmdDriveStrength:
            return 1;
        case CommandCode::CmdSetFrequency:
            return 19;
        case CommandCode::CmdWriteRegister:
            return 2;
        case CommandCode::CmdSleep:
            return 15;
    }
    return 0;
}

}  // namespace

std::optional<CommandCode> commandCodeFromByte(std::uint8_t byte) {
    if (byte < static_cast<std::uint8_t>(CommandCode::CmdOutputEnable) ||
        byte > static_cast<std::uint8_t>(CommandCode::CmdSleep)) {
        return std::nullopt;
    }
    return static_cast<CommandCode>(byte);
}

std::size_t commandReportMinimumLength(CommandCode code) {
    return kFeaturePayloadOffset + payloadLength(code);
}

std::optional<FeatureReport> buildFeatureReport(CommandCode code,
                                                std::span<const std::uint8_t> payload,
                                                std::size_t featureReportLength) {
    if (kFeaturePayloadOffset + payload.size() > featureReportLength) {
        return std::nullopt;
    }
    FeatureReport report(featureReportLength, 0);
    report[1] = static_cast<std::uint8_t>(code);
    std::ranges::copy(payload, report.begin() + kFeaturePayloadOffset);
    return report;
}

}  // namespace tarnwell
