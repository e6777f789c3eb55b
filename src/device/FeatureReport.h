#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/DeviceIds.h"  // DeviceVendorId, DeviceProductId: set at configure time

namespace tarnwell {

// Byte 1 of every feature report the tool sends.
enum class CommandCode : std::uint8_t {
    CmdOutputEnable = 1,
    CmdIdentify = 2,
    CmdDriveStrength = 3,
    CmdSetFrequency = 4,
    CmdWriteRegister = 5,
    CmdSleep = 6,
};

// Output-enable bits, as command 1 sends them and the configuration report returns them.
inline constexpr std::uint8_t kOutput1EnabledBit = 0x01;
inline constexpr std::uint8_t kOutput2EnabledBit = 0x02;
// Drive strength indexes run from 0, the weakest, to this, the strongest.
inline constexpr int kMaxDriveIndex = 3;

// The code in byte 1, when it is one of the six commands.
std::optional<CommandCode> commandCodeFromByte(std::uint8_t byte);

// Report ID 0 in byte 0, the command code in byte 1, the payload from byte 2 on.
inline constexpr std::size_t kFeaturePayloadOffset = 2;

// Bytes 0 up to the last byte a command sets; a device with shorter feature reports cannot take it.
std::size_t commandReportMinimumLength(CommandCode code);

using FeatureReport = std::vector<std::uint8_t>;

// A fresh, zero-filled report of the device's feature length with the code and payload written in.
// Nothing when the framing and payload do not fit that length: a short report is never written
// past its end, and never sent with part of its command cut off.
std::optional<FeatureReport> buildFeatureReport(CommandCode code,
                                                std::span<const std::uint8_t> payload,
                                                std::size_t featureReportLength);

}  // namespace tarnwell
