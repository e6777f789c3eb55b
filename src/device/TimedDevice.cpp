#include "device/TimedDevice.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tarnwell {

TimedDevice::TimedDevice(std::unique_ptr<HidDevice> device, CallWaiter wait)
    : featureReportLength_(device->featureReportLength()),
      inputReportLength_(device->inputReportLength()),
      wait_(std::move(wait)),
      io_(std::move(device)) {}

template <typename Result>
Result TimedDevice::call(ClockRequest request, Result failed,
                         std::function<Result(HidDevice&)> work) {
    if (unanswered_)
        return failed;
    // Shared with the I/O thread, which may still write it after this call has given up.
    auto result = std::make_shared<std::optional<Result>>();
    const std::shared_ptr<PendingCall> pending =
        io_.post([result, work = std::move(work)](HidDevice& device) { *result = work(device); });
    if (!wait_(request, *pending)) {
        unanswered_ = request;
        unansweredCall_ = pending;
        return failed;
    }
    return std::move(**result);
}

bool TimedDevice::sendFeatureReport(std::span<const std::uint8_t> report) {
    return call<bool>(ClockRequest::Command, false,
                      [copy = std::vector(report.begin(), report.end())](HidDevice& device) {
                          return device.sendFeatureReport(copy);
                      });
}

std::optional<std::size_t> TimedDevice::getFeatureReport(std::span<std::uint8_t> buffer) {
    using Answer = std::pair<std::optional<std::size_t>, std::vector<std::uint8_t>>;
    // The I/O thread fills its own copy: the caller's buffer may be gone when a late answer comes.
    Answer answer =
        call<Answer>(ClockRequest::Configuration, {},
                     [copy = std::vector(buffer.begin(), buffer.end())](HidDevice& device) mutable {
                         const std::optional<std::size_t> received = device.getFeatureReport(copy);
                         return Answer{received, std::move(copy)};
                     });
    if (answer.first)
        std::ranges::copy(answer.second, buffer.begin());
    return answer.first;
}

InputRead TimedDevice::readNewestInputReport() {
    return call<InputRead>(ClockRequest::Status, {},
                           [](HidDevice& device) { return device.readNewestInputReport(); });
}

std::optional<std::u16string> TimedDevice::manufacturer() {
    return call<std::optional<std::u16string>>(
        ClockRequest::Manufacturer, std::nullopt,
        [](HidDevice& device) { return device.manufacturer(); });
}

std::optional<std::u16string> TimedDevice::product() {
    return call<std::optional<std::u16string>>(ClockRequest::Product, std::nullopt,
                                               [](HidDevice& device) { return device.product(); });
}

}  // namespace tarnwell
