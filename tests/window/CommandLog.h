#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "device/FeatureReport.h"
#include "sim/VirtualClock.h"

namespace tarnwell::testing {

using ReportBytes = std::vector<std::uint8_t>;

// Every report of one command that the clock received, in order.
inline std::vector<ReportBytes> reportsOf(const VirtualClock& clock, CommandCode command) {
    std::vector<ReportBytes> reports;
    for (const ReceivedFeatureReport& report : clock.receivedReports()) {
        if (report.command == command)
            reports.push_back(report.bytes);
    }
    return reports;
}

// A whole report as the tool must send it: report ID 0, the command, the payload, then zeros up
// to the virtual clock's feature-report length.
inline ReportBytes commandReport(
    CommandCode command, std::initializer_list<std::uint8_t> payload,
    std::size_t length = VirtualClockDescription{}.featureReportLength) {
    // Byte by byte: GCC 12 at -O3 warns falsely (-Warray-bounds) on inserting a brace list here.
    ReportBytes report;
    report.push_back(0);
    report.push_back(static_cast<std::uint8_t>(command));
    for (const std::uint8_t byte : payload)
        report.push_back(byte);
    report.resize(length, 0);
    return report;
}

}  // namespace tarnwell::testing
