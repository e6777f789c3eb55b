#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "device/FeatureReport.h"
#include "device/HidBackend.h"
#include "device/UsbIds.h"

namespace tarnwell {

// The exchanges with a clock that the window and the command-line program both make. No state:
// each caller keeps its own flags and steps around them.

// Decides whether a listed interface of ours is the clock wanted (by its serial, usually).
using ClockFilter = std::function<bool(const HidDeviceInfo&)>;

struct OpenedClock {
    std::unique_ptr<HidDevice> device;  // empty when none opened
    HidDeviceInfo info;  // as listed, for the clock opened (or the last that refused to open)
    // Why the last accepted interface refused to open; nothing when none was accepted.
    std::optional<OpenFailure> failure;
};

// Walks the interfaces with one of the ids in enumerateClocks' order and opens the first one the
// filter accepts that opens: of several clocks with one serial, the first enumerated wins.
OpenedClock openFirstClock(HidBackend& backend, const UsbIdList& ids, const ClockFilter& accept);
// The same, opening through open instead of the backend's own open.
using ClockOpener = std::function<OpenResult(const std::string& path)>;
OpenedClock openFirstClock(HidBackend& backend, const UsbIdList& ids, const ClockFilter& accept,
                           const ClockOpener& open);

// Makes a command report for the clock's feature-report length; nothing when it does not fit.
using ReportBuilder = std::function<std::optional<FeatureReport>(std::size_t)>;

enum class SendResult { Sent, DoesNotFit, Failed };

// Builds the report for this clock and sends it once; nothing is retried.
[[nodiscard]] SendResult sendCommandReport(HidDevice& device, const ReportBuilder& build);

}  // namespace tarnwell
