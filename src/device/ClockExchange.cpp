#include "device/ClockExchange.h"

namespace tarnwell {

OpenedClock openFirstClock(HidBackend& backend, const UsbIdList& ids, const ClockFilter& accept) {
    return openFirstClock(backend, ids, accept,
                          [&backend](const std::string& path) { return backend.open(path); });
}

OpenedClock openFirstClock(HidBackend& backend, const UsbIdList& ids, const ClockFilter& accept,
                           const ClockOpener& open) {
    OpenedClock opened;
    for (const HidDeviceInfo& candidate : enumerateClocks(backend, ids)) {
        if (!accept(candidate))
            continue;
        OpenResult result = open(candidate.path);
        if (result) {
            opened.device = std::move(result.device);
            opened.info = candidate;
            opened.failure.reset();
            break;
        }
        opened.info = candidate;
        opened.failure = result.failure;
    }
    return opened;
}

SendResult sendCommandReport(HidDevice& device, const ReportBuilder& build) {
    const std::optional<FeatureReport> report = build(device.featureReportLength());
    if (!report)
        return SendResult::DoesNotFit;
    return device.sendFeatureReport(*report) ? SendResult::Sent : SendResult::Failed;
}

}  // namespace tarnwell
