#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/FeatureReport.h"
#include "planning/PllSettings.h"
#include "readback/InputReport.h"

namespace tarnwell {

// Everything a clock keeps between commands.
struct ClockState {
    std::uint8_t outputEnables = 0x03;   // bit 0: output 1, bit 1: output 2
    std::uint8_t driveStrength = 0;      // index 0..3 as sent; a device may hold any byte
    std::uint8_t identifySelection = 0;  // 0 off, 1 output 1, 2 output 2
    PllSettingsBytes pllSettings = kDefaultPllSettings;
    std::array<std::uint8_t, 256> registers{};
    std::size_t sleepCommands = 0;
    InputStatus status;

    // 10 MHz reference, N31 1000, N2 10 x 51234, N1_HS 5, NC1_LS 100, NC2_LS 200, BW 3: a clock
    // fresh from the factory shows a sensible, locked-looking setting rather than zeros.
    static constexpr PllSettingsBytes kDefaultPllSettings = {
        0x80, 0x96, 0x98, 0xE7, 0x03, 0x00, 0x06, 0x21, 0xC8, 0x00,
        0x01, 0x63, 0x00, 0x00, 0xC7, 0x00, 0x00, 0x00, 0x03};
};

// One feature report as the clock received it, byte for byte.
struct ReceivedFeatureReport {
    std::vector<std::uint8_t> bytes;
    std::optional<CommandCode> command;  // byte 1 when it names a known command
};

// The clock's side of the protocol, free of any transport: it applies the command reports it
// receives, answers the configuration read and forms its input reports. The virtual HID backend
// and a kernel-level simulated device both put this behind their plumbing.
class ClockModel {
public:
    ClockModel(std::size_t featureReportLength, std::size_t inputReportLength);

    std::size_t featureReportLength() const { return featureReportLength_; }
    std::size_t inputReportLength() const { return inputReportLength_; }

    // Logs the report and applies the command it carries. A command whose bytes are not all in
    // the report, or an unknown code, changes nothing.
    void receiveFeatureReport(std::span<const std::uint8_t> report);

    // Report ID 0, enables, drive strength, the PllSettings record, zeros up to the feature
    // length (cut off there when the length is below 22).
    std::vector<std::uint8_t> configurationReport() const;

    // Report ID 0, loss count, status bits, zeros up to the input length.
    std::vector<std::uint8_t> inputReport() const;

    ClockState& state() { return state_; }
    const ClockState& state() const { return state_; }

    // A faulty clock: programming stores this byte of the PllSettings record one higher than it
    // was sent, so a readback check has something to catch. Nothing: stored as sent.
    void storePllByteWrongly(std::optional<std::size_t> index) { wrongPllByte_ = index; }

    const std::vector<ReceivedFeatureReport>& receivedReports() const { return received_; }
    void clearReceivedReports() { received_.clear(); }

private:
    void apply(CommandCode code, std::span<const std::uint8_t> payload);

    std::size_t featureReportLength_;
    std::size_t inputReportLength_;
    ClockState state_;
    std::optional<std::size_t> wrongPllByte_;
    std::vector<ReceivedFeatureReport> received_;
};

}  // namespace tarnwell
