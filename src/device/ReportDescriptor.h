#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarnwell {

// Report lengths as the Windows HID capabilities give them: the byte count of the largest report
// of each kind plus one for the report-ID byte (counted even when the device uses no IDs); 0 when
// the device has no report of that kind.
struct ReportLengths {
    std::size_t inputReportLength = 0;
    std::size_t outputReportLength = 0;
    std::size_t featureReportLength = 0;
    // With report IDs, every report travels with its ID in the first byte; without, the host
    // adds none on input.
    bool usesReportIds = false;
    friend bool operator==(const ReportLengths&, const ReportLengths&) = default;
};

struct ReportDescriptorParse {
    std::optional<ReportLengths> lengths;
    std::string error;  // what is wrong and where, when lengths is empty
};

// Reads the descriptor's global state (Report Size, Report Count, Report ID, Push/Pop) and adds up
// Report Size x Report Count per main item, per report ID. A truncated or malformed descriptor is
// refused with the reason; nothing is read past its end.
ReportDescriptorParse parseReportDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace tarnwell
