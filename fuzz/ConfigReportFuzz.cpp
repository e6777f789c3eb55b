#include <algorithm>
#include <span>

#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "planning/DividerLimits.h"
#include "readback/ConfigReport.h"

namespace tarnwell::fuzz {

// Whatever bytes a clock answers the configuration read with: the decoder reads only the bytes it
// was given, and what it shows goes back to the same record when "Update" is pressed.
int fuzzConfigReport(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> report(data, size);
    const auto configuration = decodeConfigReport(report);
    require(configuration.has_value() == (size >= kConfigReportMinimumLength),
            "a report is decoded exactly when it holds bytes 0 to 21");

    const auto request = configurationReadRequest(size);
    require(request.has_value() == (size >= kConfigReportMinimumLength),
            "the read is asked for exactly when the report can hold the configuration");
    require(!request || (request->size() == size &&
                         std::ranges::all_of(*request, [](std::uint8_t b) { return b == 0; })),
            "the read request is all zeros and of the feature length");
    if (!configuration)
        return 0;

    require(configuration->output1Enabled == ((report[1] & 1) != 0) &&
                configuration->output2Enabled == ((report[1] & 2) != 0),
            "the enables come from bits 0 and 1 of byte 1");
    require(configuration->driveIndex == std::min<int>(report[2], 3),
            "the drive index is byte 2, a larger byte reading as 3");

    const PllSettings& pll = configuration->pll;
    require(pll.n31 >= 1 && pll.n2ls >= 1 && pll.nc1ls >= 1 && pll.nc2ls >= 1 && pll.n2hs >= 4 &&
                pll.n1hs >= 4,
            "no decoded divider can be zero");
    const PllEncoding again = encodePllSettings({.gps = double(pll.gps),
                                                 .n31 = double(pll.n31),
                                                 .n2hs = double(pll.n2hs),
                                                 .n2ls = double(pll.n2ls),
                                                 .n1hs = double(pll.n1hs),
                                                 .nc1ls = double(pll.nc1ls),
                                                 .nc2ls = double(pll.nc2ls),
                                                 .phaseIndex = pll.phaseIndex,
                                                 .bw = double(pll.bw)});
    require(bool(again) && std::ranges::equal(again.bytes, report.subspan(kConfigPllSettingsOffset,
                                                                          kPllSettingsSize)),
            "the decoded record encodes back to the bytes it came from");

    const auto answer = encodeConfigReport(report[1], report[2], again.bytes, size);
    require(answer.size() == size && answer[0] == 0 &&
                std::ranges::equal(std::span(answer).subspan(1, kConfigReportMinimumLength - 1),
                                   report.subspan(1, kConfigReportMinimumLength - 1)) &&
                std::ranges::all_of(std::span(answer).subspan(kConfigReportMinimumLength),
                                    [](std::uint8_t b) { return b == 0; }),
            "the clock's answer carries the same bytes 1 to 21, then zeros");
    return 0;
}

}  // namespace tarnwell::fuzz
