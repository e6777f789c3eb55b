#include "sim/ClockModel.h"

#include <algorithm>

#include "readback/ConfigReport.h"

namespace tarnwell {

ClockModel::ClockModel(std::size_t featureReportLength, std::size_t inputReportLength)
    : featureReportLength_(featureReportLength), inputReportLength_(inputReportLength) {}

void ClockModel::receiveFeatureReport(std::span<const std::uint8_t> report) {
    const std::optional<CommandCode> code =
        report.size() > 1 ? commandCodeFromByte(report[1]) : std::nullopt;
    received_.push_back({std::vector<std::uint8_t>(report.begin(), report.end()), code});
    if (code && report.size() >= commandReportMinimumLength(*code)) {
        apply(*code, report.subspan(kFeaturePayloadOffset));
    }
}

void ClockModel::apply(CommandCode code, std::span<const std::uint8_t> payload) {
    switch (code) {
        case CommandCode::CmdOutputEnable:
            state_.outputEnables = payload[0];
            break;
        case CommandCode::CmdIdentify:
            state_.identifySelection = payload[0];
            break;
        case CommandCode::CmdDriveStrength:
            state_.driveStrength = payload[0];
            break;
        case CommandCode::CmdSetFrequency:
            std::copy_n(payload.begin(), kPllSettingsSize, state_.pllSettings.begin());
            if (wrongPllByte_ && *wrongPllByte_ < kPllSettingsSize)
                ++state_.pllSettings[*wrongPllByte_];
            break;
        case CommandCode::CmdWriteRegister:
            state_.registers[payload[0]] = payload[1];
            break;
        case CommandCode::CmdSleep:
            ++state_.sleepCommands;
            break;
    }
}

std::vector<std::uint8_t> ClockModel::configurationReport() const {
    return encodeConfigReport(state_.outputEnables, state_.driveStrength, state_.pllSettings,
                              featureReportLength_);
}

std::vector<std::uint8_t> ClockModel::inputReport() const {
    return encodeInputReport(state_.status, inputReportLength_);
}

}  // namespace tarnwell
