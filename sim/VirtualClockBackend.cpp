#include "sim/VirtualClockBackend.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace tarnwell {

// An open clock. It holds the clock weakly and remembers which plug-in it was opened on, so a
// handle outliving an unplug, a removal or the whole backend fails cleanly instead of dangling.
class VirtualClockHandle final : public HidDevice {
public:
    explicit VirtualClockHandle(const std::shared_ptr<VirtualClock>& clock)
        : clock_(clock),
          plugGeneration_(clock->plugGeneration_),
          featureReportLength_(clock->description_.featureReportLength),
          inputReportLength_(clock->description_.inputReportLength),
          inputQueue_(clock->attachInputQueue()) {}

    std::size_t featureReportLength() const override { return featureReportLength_; }
    std::size_t inputReportLength() const override { return inputReportLength_; }

    [[nodiscard]] bool sendFeatureReport(std::span<const std::uint8_t> report) override {
        const auto held = clock_.lock();
        if (!held)
            return false;
        const VirtualClock::Answering answering(*held);
        const auto clock = liveClock(VirtualFault::SendFeature);
        // Like a device that stalls a transfer of the wrong size or for a report ID it lacks.
        if (!clock || report.size() != featureReportLength_ || report[0] != 0) {
            return false;
        }
        clock->model_.receiveFeatureReport(report);
        return true;
    }

    [[nodiscard]] std::optional<std::size_t> getFeatureReport(
        std::span<std::uint8_t> buffer) override {
        const auto held = clock_.lock();
        if (!held)
            return std::nullopt;
        const VirtualClock::Answering answering(*held);
        const auto clock = liveClock(VirtualFault::GetFeature);
        if (!clock || buffer.size() < featureReportLength_ || buffer[0] != 0) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> report = clock->model_.configurationReport();
        if (clock->shortReportLength_) {
            report.resize(std::min(report.size(), *std::exchange(clock->shortReportLength_, {})));
        }
        std::ranges::copy(report, buffer.begin());
        return report.size();
    }

    InputRead readNewestInputReport() override {
        const auto held = clock_.lock();
        if (!held)
            return {InputReadStatus::Error, {}};
        const std::lock_guard alone(held->answerMutex_);
        const auto clock = liveClock(VirtualFault::ReadInput);
        if (!clock) {
            return {InputReadStatus::Error, {}};
        }
        if (clock->stalled()) {
            return {InputReadStatus::NothingYet, {}};
        }
        if (clock->inputMode_ == InputReportMode::Continuous) {
            return {InputReadStatus::Report, clock->model_.inputReport()};
        }
        if (inputQueue_->reports.empty()) {
            return {InputReadStatus::NothingYet, {}};
        }
        InputRead newest{InputReadStatus::Report, std::move(inputQueue_->reports.back())};
        inputQueue_->reports.clear();
        return newest;
    }

    std::optional<std::u16string> manufacturer() override {
        return identity(&VirtualClockDescription::manufacturer);
    }

    std::optional<std::u16string> product() override {
        return identity(&VirtualClockDescription::product);
    }

private:
    std::optional<std::u16string> identity(
        std::optional<std::u16string> VirtualClockDescription::*text) const {
        const auto held = clock_.lock();
        if (!held)
            return std::nullopt;
        const std::lock_guard alone(held->answerMutex_);
        const auto clock = liveClock(VirtualFault::StringQuery);
        return clock ? (clock->description_.*text) : std::nullopt;
    }

    // The clock, when this handle can still reach it and the call is not meant to fail.
    std::shared_ptr<VirtualClock> liveClock(VirtualFault fault) const {
        auto clock = clock_.lock();
        if (!clock || !clock->pluggedIn_ || clock->plugGeneration_ != plugGeneration_ ||
            clock->takeFault(fault)) {
            return nullptr;
        }
        return clock;
    }

    std::weak_ptr<VirtualClock> clock_;
    std::uint64_t plugGeneration_;
    std::size_t featureReportLength_;
    std::size_t inputReportLength_;
    std::shared_ptr<VirtualClock::InputQueue> inputQueue_;
};

VirtualClock& VirtualClockBackend::addClock(VirtualClockDescription description) {
    clocks_.push_back(std::make_shared<VirtualClock>(std::move(description), nextClockId_++));
    return *clocks_.back();
}

void VirtualClockBackend::removeClock(const VirtualClock& clock) {
    const auto found = std::ranges::find_if(
        clocks_, [&clock](const auto& candidate) { return candidate.get() == &clock; });
    if (found != clocks_.end()) {
        (*found)->unplug();
        clocks_.erase(found);
    }
}

std::vector<VirtualClockBackend::Seen> VirtualClockBackend::snapshot() const {
    std::vector<Seen> seen;
    for (const auto& clock : clocks_)
        seen.push_back({clock.get(), clock->path(), clock->pluggedIn(), clock->openRefusal()});
    return seen;
}

bool VirtualClockBackend::takeChanges() {
    std::vector<Seen> now = snapshot();
    const bool changed = now != lastSeen_;
    lastSeen_ = std::move(now);
    return changed;
}

std::vector<HidDeviceInfo> VirtualClockBackend::enumerate(std::uint16_t vendorId,
                                                          std::uint16_t productId) {
    ++enumerationCount_;
    std::vector<HidDeviceInfo> found;
    for (const auto& clock : clocks_) {
        const VirtualClockDescription& description = clock->description();
        if (clock->pluggedIn() && (listsEveryDevice_ || (description.vendorId == vendorId &&
                                                         description.productId == productId))) {
            found.push_back({.path = clock->path(),
                             .vendorId = description.vendorId,
                             .productId = description.productId,
                             .serial = description.serial,
                             .releaseNumber = description.releaseNumber});
        }
    }
    return found;
}

OpenResult VirtualClockBackend::open(const std::string& path) {
    ++openCount_;
    const auto found = std::ranges::find_if(clocks_, [&path](const auto& clock) {
        return clock->pluggedIn() && clock->path() == path;
    });
    if (found == clocks_.end())
        return OpenFailure::Gone;
    if (const auto refusal = (*found)->openRefusal())
        return *refusal;
    if ((*found)->takeFault(VirtualFault::Open))
        return OpenFailure::Other;
    return OpenResult(std::make_unique<VirtualClockHandle>(*found));
}

}  // namespace tarnwell
