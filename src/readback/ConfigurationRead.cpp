#include "readback/ConfigurationRead.h"

#include <algorithm>

#include "readback/IdentityText.h"

namespace tarnwell {

namespace {

std::optional<std::string> shownText(const std::optional<std::u16string>& utf16) {
    if (!utf16)
        return std::nullopt;
    return identityText(*utf16);
}

}  // namespace

ClockIdentity readIdentity(HidDevice& device, const RequestPause& pause) {
    ClockIdentity identity;
    pause(kRequestPause);
    identity.manufacturer = shownText(device.manufacturer());
    pause(kRequestPause);
    identity.product = shownText(device.product());
    return identity;
}

std::optional<DeviceConfiguration> readConfiguration(HidDevice& device, const RequestPause& pause) {
    pause(kRequestPause);
    std::optional<FeatureReport> report = configurationReadRequest(device.featureReportLength());
    if (!report)
        return std::nullopt;
    const std::optional<std::size_t> received = device.getFeatureReport(*report);
    if (!received)
        return std::nullopt;
    const std::size_t length = std::min(*received, report->size());
    return decodeConfigReport(std::span(report->data(), length));
}

}  // namespace tarnwell
