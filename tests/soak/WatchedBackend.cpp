#include "WatchedBackend.h"

#include <utility>

namespace tarnwell::soak {

namespace {

class WatchedDevice final : public ForwardingDevice {
public:
    WatchedDevice(std::unique_ptr<HidDevice> inner, const WatchedBackend::Watcher& watcher,
                  std::shared_ptr<std::size_t> openDevices)
        : ForwardingDevice(std::move(inner)),
          watcher_(watcher),
          openDevices_(std::move(openDevices)) {
        ++*openDevices_;
    }
    ~WatchedDevice() override { --*openDevices_; }
    WatchedDevice(const WatchedDevice&) = delete;
    WatchedDevice& operator=(const WatchedDevice&) = delete;

    [[nodiscard]] bool sendFeatureReport(std::span<const std::uint8_t> report) override {
        show(FeatureTransfer::Direction::Send, report);
        return ForwardingDevice::sendFeatureReport(report);
    }
    [[nodiscard]] std::optional<std::size_t> getFeatureReport(
        std::span<std::uint8_t> buffer) override {
        show(FeatureTransfer::Direction::Get, buffer);
        return ForwardingDevice::getFeatureReport(buffer);
    }

private:
    void show(FeatureTransfer::Direction direction, std::span<const std::uint8_t> bytes) const {
        watcher_({direction, featureReportLength(), {bytes.begin(), bytes.end()}, *openDevices_});
    }

    WatchedBackend::Watcher watcher_;
    std::shared_ptr<std::size_t> openDevices_;
};

}  // namespace

WatchedBackend::WatchedBackend(HidBackend& inner, Watcher watcher)
    : ForwardingBackend(inner), watcher_(std::move(watcher)) {}

std::unique_ptr<HidDevice> WatchedBackend::wrap(const std::string&,
                                                std::unique_ptr<HidDevice> device) {
    return std::make_unique<WatchedDevice>(std::move(device), watcher_, openDevices_);
}

}  // namespace tarnwell::soak
