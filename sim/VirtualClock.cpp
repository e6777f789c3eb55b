#include "sim/VirtualClock.h"

#include <algorithm>
#include <thread>
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

void VirtualClock::stall(std::optional<std::chrono::milliseconds> delay) {
    const std::lock_guard lock(stallMutex_);
    stalled_ = true;
    stallDelay_ = delay;
}

void VirtualClock::releaseStall() {
    std::unique_lock lock(stallMutex_);
    stalled_ = false;
    stallChanged_.notify_all();
    stallChanged_.wait(lock, [this] { return heldRequests_ == 0; });
}

bool VirtualClock::stalled() const {
    const std::lock_guard lock(stallMutex_);
    return stalled_;
}

std::size_t VirtualClock::heldRequests() const {
    const std::lock_guard lock(stallMutex_);
    return heldRequests_;
}

VirtualClock::Answering::Answering(VirtualClock& clock) : clock_(clock) {
    {
        std::unique_lock lock(clock_.stallMutex_);
        if (clock_.stalled_) {
            held_ = true;
            ++clock_.heldRequests_;
            if (const auto delay = clock_.stallDelay_)
                clock_.stallChanged_.wait_for(lock, *delay, [this] { return !clock_.stalled_; });
            else
                clock_.stallChanged_.wait(lock, [this] { return !clock_.stalled_; });
        }
    }
    alone_ = std::unique_lock(clock_.answerMutex_);
}

VirtualClock::Answering::~Answering() {
    if (!held_)
        return;
    const std::lock_guard lock(clock_.stallMutex_);
    --clock_.heldRequests_;
    clock_.stallChanged_.notify_all();
}

void VirtualClock::queueInputReport() {
    if (!pluggedIn_ || stalled()) {
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
