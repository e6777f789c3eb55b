#include "SimulatorBackend.h"

#include <algorithm>
#include <utility>

namespace tarnwell::demo {

class SimulatorBackend::Handle final : public ForwardingDevice {
public:
    Handle(std::unique_ptr<HidDevice> device, const std::shared_ptr<VirtualClock>& clock,
           std::shared_ptr<SendRouting> routing)
        : ForwardingDevice(std::move(device)), clock_(clock), routing_(std::move(routing)) {}

    [[nodiscard]] bool sendFeatureReport(std::span<const std::uint8_t> report) override {
        const std::shared_ptr<VirtualClock> clock = clock_.lock();
        const bool failOnPurpose = clock && routing_->failingNext.erase(clock.get()) > 0;
        const bool accepted = !failOnPurpose && inner().sendFeatureReport(report);
        if (clock && routing_->listener)
            routing_->listener({*clock, report, accepted});
        return accepted;
    }

private:
    std::weak_ptr<VirtualClock> clock_;
    std::shared_ptr<SendRouting> routing_;
};

SimulatorBackend::SimulatorBackend(VirtualClockBackend& clocks)
    : ForwardingBackend(clocks), clocks_(clocks), routing_(std::make_shared<SendRouting>()) {}

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

std::unique_ptr<HidDevice> SimulatorBackend::wrap(const std::string& path,
                                                  std::unique_ptr<HidDevice> device) {
    const auto& all = clocks_.clocks();
    const auto clock = std::ranges::find_if(all, [&path](const auto& candidate) {
        return candidate->pluggedIn() && candidate->path() == path;
    });
    if (clock == all.end())
        return device;
    return std::make_unique<Handle>(std::move(device), *clock, routing_);
}

}  // namespace tarnwell::demo
