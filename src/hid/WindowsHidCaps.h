#pragma once

#include <optional>
#include <string>

#include "device/ReportDescriptor.h"

namespace tarnwell {

// The report lengths Windows' HID class driver gives for the device interface at path (as hidapi
// lists it), for hidapi versions that cannot fetch the report descriptor there. Nothing when the
// interface cannot be opened or gives no capabilities.
std::optional<ReportLengths> readWindowsReportLengths(const std::string& path);

}  // namespace tarnwell
