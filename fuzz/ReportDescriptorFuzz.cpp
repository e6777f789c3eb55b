#include <span>

#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "device/ReportDescriptor.h"

namespace tarnwell::fuzz {

namespace {

// Lengths are 16-bit in the HID capabilities, plus the report-ID byte.
constexpr std::size_t kLongestReport = 0xFFFF + 1;

}  // namespace

// Whatever descriptor a device declares: parsed without reading past its end, and either
// refused with a reason or answered with lengths a report buffer can have.
int fuzzReportDescriptor(const std::uint8_t* data, std::size_t size) {
    const ReportDescriptorParse parse = parseReportDescriptor(std::span(data, size));
    require(parse.lengths.has_value() == parse.error.empty(),
            "a descriptor gives either lengths or a reason, never both");
    if (!parse.lengths)
        return 0;
    const ReportLengths& lengths = *parse.lengths;
    require(lengths.inputReportLength <= kLongestReport &&
                lengths.outputReportLength <= kLongestReport &&
                lengths.featureReportLength <= kLongestReport,
            "every length fits the 16-bit capability field");
    require(lengths.inputReportLength != 1 && lengths.outputReportLength != 1 &&
                lengths.featureReportLength != 1,
            "a report kind is either absent (0) or at least one data byte long");
    return 0;
}

}  // namespace tarnwell::fuzz
