#include <algorithm>
#include <span>

#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "readback/InputReport.h"

namespace tarnwell::fuzz {

// Whatever a clock sends as an input report: only the bytes given are read, and the status
// survives the clock's own encoding.
int fuzzInputReport(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> report(data, size);
    const auto status = parseInputReport(report);
    require(status.has_value() == (size >= kInputReportMinimumLength),
            "a report is read exactly when it holds the count and the status byte");
    if (!status)
        return 0;
    require(status->signalLossCount == report[1] && status->noGpsSignal == ((report[2] & 1) != 0) &&
                status->noPllLock == ((report[2] & 2) != 0),
            "count from byte 1, warnings from bits 0 and 1 of byte 2");

    const auto encoded = encodeInputReport(*status, size);
    require(encoded.size() == size && encoded[0] == 0 && (encoded[2] & ~3) == 0 &&
                std::ranges::all_of(std::span(encoded).subspan(kInputReportMinimumLength),
                                    [](std::uint8_t b) { return b == 0; }),
            "the clock's report is of the input length, with nothing but the status set");
    require(parseInputReport(encoded) == status, "the status reads back unchanged");
    return 0;
}

}  // namespace tarnwell::fuzz
