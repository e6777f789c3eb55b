#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarnwell {

// A feature report a clock received, told in words for a person watching the clock:
// "set frequency: GPS 4687500, N31 5, N2_HS 11, ...", "enable outputs: 1 on, 2 off",
// "identify output 1", "drive strength 16mA", "write register 25 = 160", "sleep".
// A report the clock cannot act on (no command, an unknown code, a command cut short) is told as
// such, with its bytes only read within the report.
std::string describeFeatureReport(std::span<const std::uint8_t> report);

}  // namespace tarnwell
