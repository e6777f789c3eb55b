#include "sim/ForwardingBackend.h"

#include <utility>

namespace tarnwell {

ForwardingDevice::ForwardingDevice(std::unique_ptr<HidDevice> inner) : inner_(std::move(inner)) {}

std::size_t ForwardingDevice::featureReportLength() const {
    return inner_->featureReportLength();
}

std::size_t ForwardingDevice::inputReportLength() const {
    return inner_->inputReportLength();
}

bool ForwardingDevice::sendFeatureReport(std::span<const std::uint8_t> report) {
    return inner_->sendFeatureReport(report);
}

std::optional<std::size_t> ForwardingDevice::getFeatureReport(std::span<std::uint8_t> buffer) {
    return inner_->getFeatureReport(buffer);
}

InputRead ForwardingDevice::readNewestInputReport() {
    return inner_->readNewestInputReport();
}

std::optional<std::u16string> ForwardingDevice::manufacturer() {
    return inner_->manufacturer();
}

std::optional<std::u16string> ForwardingDevice::product() {
    return inner_->product();
}

ForwardingBackend::ForwardingBackend(HidBackend& inner) : inner_(inner) {}

std::vector<HidDeviceInfo> ForwardingBackend::enumerate(std::uint16_t vendorId,
                                                        std::uint16_t productId) {
    return inner_.enumerate(vendorId, productId);
}

OpenResult ForwardingBackend::open(const std::string& path) {
    OpenResult opened = inner_.open(path);
    if (!opened)
        return opened;
    return wrap(path, std::move(opened.device));
}

}  // namespace tarnwell
