#include "SimulatorBackend.h"

#include <algorithm>
#include <utility>

namespace tarnwell::demo {

class SimulatorBackend::Handle final : public HidDevice {
public:
    Handle(std::unique_ptr<HidDevice> device, const std::shared_ptr<VirtualClock>& clock,
           std::shared_ptr<SendRouting> routing)
        : device_(std::move(device)), clock_(clock), routing_(std::move(routing)) {}

    std::size_t featureReportLength() const override { return device_->featureReportLength(); }
    std::size_t inputReportLength() const override { return device_->inputReportLength(); }

    bool sendFeatureReport(std::span<const std::uint8_t> report) override {
        const std::shared_ptr<VirtualClock> clock = clock_.lock();
        const bool failOnPurpose = clock && routing_->failingNext.erase(clock.get()) > 0;
        const bool accepted = !failOnPurpose && device_->sendFeatureReport(report);
        if (clock && routing_->listener)
            routing_->listener({*clock, report, accepted});
        return accepted;
    }
    std::optional<std::size_t> getFeatureReport(std::span<std::uint8_t> buffer) override {
        return device_->getFeatureReport(buffer);
    }
    InputRead readNewestInputReport() override { return device_->readNewestInputReport(); }
    std::optional<std::u16string> manufacturer() override { return device_->manufacturer(); }
    std::optional<std::u16string> product() override { return device_->product(); }

private:
    std::unique_ptr<HidDevice> device_;
    std::weak_ptr<VirtualClock> clock_;
    std::shared_ptr<SendRouting> routing_;
};

SimulatorBackend::SimulatorBackend(VirtualClockBackend& clocks)
    : clocks_(clocks), routing_(std::make_shared<SendRouting>()) {}

SimulatorBackend::~SimulatorBackend() = default;

void SimulatorBackend::setSendListener(SendListener listener) {
    routing_->listener = std::move(listener);
}

void SimulatorBackend::setNextSendFails(const VirtualClock& clock, bool fails) {
    if (fails)
        routing_->failingNext.insert(&clock);
    else
        routing_->failingNext.erase(&clock);
}

bool SimulatorBackend::nextSendFails(const VirtualClock& clock) const {
    return routing_->failingNext.contains(&clock);
}

std::vector<HidDeviceInfo> SimulatorBackend::enumerate(std::uint16_t vendorId,
                                                       std::uint16_t productId) {
    return clocks_.enumerate(vendorId, productId);
}

std::unique_ptr<HidDevice> SimulatorBackend::open(const std::string& path) {
    const auto& all = clocks_.clocks();
    const auto clock = std::ranges::find_if(all, [&path](const auto& candidate) {
        return candidate->pluggedIn() && candidate->path() == path;
    });
    std::unique_ptr<HidDevice> device = clocks_.open(path);
    if (!device || clock == all.end())
        return device;
    return std::make_unique<Handle>(std::move(device), *clock, routing_);
}

}  // namespace tarnwell::demo
