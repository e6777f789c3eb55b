#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/HidBackend.h"

namespace tarnwell {

// The live status a clock sends in every input report.
struct InputStatus {
    std::uint8_t signalLossCount = 0;
    bool noGpsSignal = false;
    bool noPllLock = false;
    friend bool operator==(const InputStatus&, const InputStatus&) = default;
};

// Report ID, loss count, status bits.
inline constexpr std::size_t kInputReportMinimumLength = 3;

// Nothing when the report is too short to hold the status.
std::optional<InputStatus> parseInputReport(std::span<const std::uint8_t> report);

struct StatusRead {
    InputReadStatus read = InputReadStatus::Error;
    // The newest status; nothing when no report was queued or it was too short to hold one.
    std::optional<InputStatus> status;
};

// The newest input report the clock sent, decoded.
StatusRead readNewestStatus(HidDevice& device);

// The clock's side: report ID 0, count, status bits, zeros up to the length (cut off at the
// length when it is below three bytes).
std::vector<std::uint8_t> encodeInputReport(const InputStatus& status, std::size_t length);

}  // namespace tarnwell
