#include "WatchedBackend.h"

#include <utility>

namespace tarnwell::soak {

namespace {

class WatchedDevice final : public HidDevice {
public:
    WatchedDevice(std::unique_ptr<HidDevice> inner, const WatchedBackend::Watcher& watcher,
                  std::shared_ptr<std::size_t> openDevices)
        : inner_(std::move(inner)), watcher_(watcher), openDevices_(std::move(openDevices)) {
        ++*openDevices_;
    }
    ~WatchedDevice() override { --*openDevices_; }
    WatchedDevice(const WatchedDevice&) = delete;
    WatchedDevice& operator=(const WatchedDevice&) = delete;

    std::size_t featureReportLength() const override { return inner_->featureReportLength(); }
    std::size_t inputReportLength() const override { return inner_->inputReportLength(); }

    bool sendFeatureReport(std::span<const std::uint8_t> report) override {
        show(FeatureTransfer::Direction::Send, report);
        return inner_->sendFeatureReport(report);
    }
    std::optional<std::size_t> getFeatureReport(std::span<std::uint8_t> buffer) override {
        show(FeatureTransfer::Direction::Get, buffer);
        return inner_->getFeatureReport(buffer);
    }
    InputRead readNewestInputReport() override { return inner_->readNewestInputReport(); }
    std::optional<std::u16string> manufacturer() override { return inner_->manufacturer(); }
    std::optional<std::u16string> product() override { return inner_->product(); }

private:
    void show(FeatureTransfer::Direction direction, std::span<const std::uint8_t> bytes) const {
        watcher_({direction,
                  inner_->featureReportLength(),
                  {bytes.begin(), bytes.end()},
                  *openDevices_});
    }

    std::unique_ptr<HidDevice> inner_;
    WatchedBackend::Watcher watcher_;
    std::shared_ptr<std::size_t> openDevices_;
};

}  // namespace

WatchedBackend::WatchedBackend(HidBackend& inner, Watcher watcher)
    : inner_(inner), watcher_(std::move(watcher)) {}

std::vector<HidDeviceInfo> WatchedBackend::enumerate(std::uint16_t vendorId,
                                                     std::uint16_t productId) {
    return inner_.enumerate(vendorId, productId);
}

std::unique_ptr<HidDevice> WatchedBackend::open(const std::string& path) {
    std::unique_ptr<HidDevice> device = inner_.open(path);
    if (!device)
        return nullptr;
    return std::make_unique<WatchedDevice>(std::move(device), watcher_, openDevices_);
}

}  // namespace tarnwell::soak
