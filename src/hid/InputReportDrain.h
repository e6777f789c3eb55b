#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "device/HidBackend.h"
#include "device/ReportDescriptor.h"

namespace tarnwell {

// Reads one queued input report into the buffer without waiting: its length, 0 when none is
// queued, below 0 when the device failed or is gone.
using ReadOneInputReport = std::function<long(std::span<std::uint8_t>)>;

// The newest of the input reports queued, byte 0 always the report ID (0 put back in front when
// the device numbers no reports, which leaves it out).
InputRead drainNewestInputReport(const ReportLengths& lengths, const ReadOneInputReport& readOne);

}  // namespace tarnwell
