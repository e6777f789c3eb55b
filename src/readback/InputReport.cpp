#include "readback/InputReport.h"

#include <algorithm>

namespace tarnwell {

namespace {

constexpr std::size_t kCountOffset = 1;
constexpr std::size_t kStatusOffset = 2;
constexpr std::uint8_t kNoGpsSignalBit = 0x01;
constexpr std::uint8_t kNoPllLockBit = 0x02;

}  // namespace

std::optional<InputStatus> parseInputReport(std::span<const std::uint8_t> report) {
    if (report.size() < kInputReportMinimumLength) {
        return std::nullopt;
    }
    const std::uint8_t bits = report[kStatusOffset];
    return InputStatus{.signalLossCount = report[kCountOffset],
                       .noGpsSignal = (bits & kNoGpsSignalBit) != 0,
                       .noPllLock = (bits & kNoPllLockBit) != 0};
}

std::vector<std::uint8_t> encodeInputReport(const InputStatus& status, std::size_t length) {
    std::vector<std::uint8_t> report(std::max(length, kInputReportMinimumLength), 0);
    report[kCountOffset] = status.signalLossCount;
    report[kStatusOffset] = static_cast<std::uint8_t>((status.noGpsSignal ? kNoGpsSignalBit : 0) |
                                                      (status.noPllLock ? kNoPllLockBit : 0));
    report.resize(length);
    return report;
}

StatusRead readNewestStatus(HidDevice& device) {
    const InputRead read = device.readNewestInputReport();
    StatusRead result{read.status, std::nullopt};
    if (read.status == InputReadStatus::Report)
        result.status = parseInputReport(read.report);
    return result;
}

}  // namespace tarnwell
