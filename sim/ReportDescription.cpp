#include "sim/ReportDescription.h"

#include <cstddef>
#include <optional>

#include "device/FeatureReport.h"
#include "planning/PllSettings.h"

namespace tarnwell {

namespace {

using Payload = std::span<const std::uint8_t>;

std::string number(std::size_t value) {
    return std::to_string(value);
}

std::string commandName(CommandCode code) {
    switch (code) {
        case CommandCode::CmdOutputEnable:
            return "enable outputs";
        case CommandCode::CmdIdentify:
            return "identify";
        case CommandCode::CmdDriveStrength:
            return "drive strength";
        case CommandCode::CmdSetFrequency:
            return "set frequency";
        case CommandCode::CmdWriteRegister:
            return "write register";
        case CommandCode::CmdSleep:
            return "sleep";
    }
    return {};
}

std::string outputEnables(std::uint8_t bits) {
    const auto onOff = [bits](std::uint8_t bit) { return (bits & bit) ? "on" : "off"; };
    std::string text = std::string("enable outputs: 1 ") + onOff(kOutput1EnabledBit) + ", 2 " +
                       onOff(kOutput2EnabledBit);
    // Bits the tool never sends still reach the clock, so they are shown rather than hidden.
    const unsigned otherBits = bits & ~unsigned{kOutput1EnabledBit | kOutput2EnabledBit};
    if (otherBits != 0)
        text += ", other bits " + number(otherBits);
    return text;
}

std::string identify(std::uint8_t selection) {
    switch (selection) {
        case 0:
            return "identify off";
        case 1:
        case 2:
            return "identify output " + number(selection);
        default:
            return "identify: unknown selection " + number(selection);
    }
}

std::string driveStrength(std::uint8_t index) {
    // Indexes 0..3 stand for 8, 16, 24 and 32 mA.
    if (index > kMaxDriveIndex)
        return "drive strength: unknown index " + number(index);
    return "drive strength " + number(8u * (index + 1u)) + "mA";
}

std::string setFrequency(Payload payload) {
    const PllSettings pll = decodePllSettings(payload.first<kPllSettingsSize>());
    return "set frequency: GPS " + number(pll.gps) + ", N31 " + number(pll.n31) + ", N2_HS " +
           number(pll.n2hs) + ", N2_LS " + number(pll.n2ls) + ", N1_HS " + number(pll.n1hs) +
           ", NC1_LS " + number(pll.nc1ls) + ", NC2_LS " + number(pll.nc2ls) + ", phase " +
           number(pll.phaseIndex) + ", BW " + number(pll.bw);
}

std::string writeRegister(Payload payload) {
    return "write register " + number(payload[0]) + " = " + number(payload[1]);
}

}  // namespace

std::string describeFeatureReport(std::span<const std::uint8_t> report) {
    if (report.size() < kFeaturePayloadOffset)
        return "report without a command";
    const std::optional<CommandCode> code = commandCodeFromByte(report[1]);
    if (!code)
        return "unknown command " + number(report[1]);
    if (report.size() < commandReportMinimumLength(*code))
        return commandName(*code) + ": cut short at " + number(report.size()) + " bytes, ignored";

    const Payload payload = report.subspan(kFeaturePayloadOffset);
    switch (*code) {
        case CommandCode::CmdOutputEnable:
            return outputEnables(payload[0]);
        case CommandCode::CmdIdentify:
            return identify(payload[0]);
        case CommandCode::CmdDriveStrength:
            return driveStrength(payload[0]);
        case CommandCode::CmdSetFrequency:
            return setFrequency(payload);
        case CommandCode::CmdWriteRegister:
            return writeRegister(payload);
        case CommandCode::CmdSleep:
            return commandName(*code);
    }
    return {};
}

}  // namespace tarnwell
