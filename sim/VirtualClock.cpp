#include "sim/VirtualClock.h"

#include <algorithm>
#include <utility>

namespace tarnwell {

namespace {

std::string virtualPath(std::size_t id, std::uint64_t plugGeneration) {
    return "virtual://clock" + std::to_string(id) + "/plug" + std::to_string(plugGeneration);
}

}  // namespace

VirtualClock::VirtualClock(VirtualClockDescription description, std::size_t id)
    : description_(std::move(description)),
      id_(id),
      path_(virtualPath(id_, plugGeneration_)),
      model_(description_.featureReportLength, description_.inputReportLength) {}

VirtualClock::~VirtualClock() = default;

void VirtualClock::unplug() {
    pluggedIn_ = false;
}

void VirtualClock::plugIn() {
    if (pluggedIn_) {
        return;
    }
    pluggedIn_ = true;
    ++plugGeneration_;
    path_ = virtualPath(id_, plugGeneration_);
}

void VirtualClock::queueInputReport() {
    if (!pluggedIn_) {
        return;
    }
    const std::vector<std::uint8_t> report = model_.inputReport();
    for (const auto& weakQueue : inputQueues_) {
        const auto queue = weakQueue.lock();
        if (queue && queue->reports.size() < kInputQueueDepth) {
            queue->reports.push_back(report);
        }
    }
}

std::size_t VirtualClock::openHandleCount() const {
    return static_cast<std::size_t>(std::ranges::count_if(
        inputQueues_, [](const auto& weakQueue) { return !weakQueue.expired(); }));
}

std::shared_ptr<VirtualClock::InputQueue> VirtualClock::attachInputQueue() {
    std::erase_if(inputQueues_, [](const auto& weakQueue) { return weakQueue.expired(); });
    auto queue = std::make_shared<InputQueue>();
    inputQueues_.push_back(queue);
    return queue;
}

}  // namespace tarnwell
