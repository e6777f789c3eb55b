#include "hid/InputReportDrain.h"

#include <algorithm>
#include <vector>

namespace tarnwell {

namespace {

// Input buffer when the descriptor declares no input report; a read is cut at the buffer.
constexpr std::size_t kFallbackInputLength = 65;
// Four times the kernel's queue: a device cannot refill it faster than this drains it, so the
// bound only matters for a device that floods, and keeps the poll from spinning.
constexpr int kMaxReportsDrainedPerRead = 256;

}  // namespace

InputRead drainNewestInputReport(const ReportLengths& lengths, const ReadOneInputReport& readOne) {
    const std::size_t idBytes = lengths.usesReportIds ? 0 : 1;
    std::vector<std::uint8_t> buffer(std::max(lengths.inputReportLength, kFallbackInputLength));
    InputRead newest{InputReadStatus::NothingYet, {}};
    // The kernel keeps the oldest reports when its queue fills, so read until it is empty.
    for (int drained = 0; drained < kMaxReportsDrainedPerRead; ++drained) {
        const long received = readOne(std::span(buffer).subspan(idBytes));
        if (received < 0)
            return {InputReadStatus::Error, {}};
        if (received == 0)
            break;
        const auto end = std::min(buffer.size(), idBytes + static_cast<std::size_t>(received));
        newest = {InputReadStatus::Report,
                  {buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end)}};
    }
    return newest;
}

}  // namespace tarnwell
