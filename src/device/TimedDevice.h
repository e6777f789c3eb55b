#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "device/ClockIoThread.h"
#include "device/HidBackend.h"

namespace tarnwell {

// The requests a clock can leave unanswered, for telling which one it was.
enum class ClockRequest { Command, Configuration, Manufacturer, Product, Status };

// A clock request not answered within this counts as failed, and the clock as gone, in the window
// and in the command-line programs alike. A healthy clock answers within milliseconds; the kernel
// itself waits 5 s.
inline constexpr std::chrono::milliseconds kClockAnswerTimeout{1000};

// Waits for a call until it is done or the caller gives up on it: true when it is done. The
// window waits while its events go on; a command-line program simply blocks, up to a deadline.
using CallWaiter = std::function<bool(ClockRequest, PendingCall&)>;

// An opened clock whose every call runs on its own I/O thread and is waited for by the waiter. A
// call the waiter gives up on fails as the device's own failure would, and so does every later
// call at once: a clock that stopped answering is treated as gone, and dropping it (destroying
// this) never waits for the stuck call.
class TimedDevice final : public HidDevice {
public:
    TimedDevice(std::unique_ptr<HidDevice> device, CallWaiter wait);

    std::size_t featureReportLength() const override { return featureReportLength_; }
    std::size_t inputReportLength() const override { return inputReportLength_; }
    [[nodiscard]] bool sendFeatureReport(std::span<const std::uint8_t> report) override;
    [[nodiscard]] std::optional<std::size_t> getFeatureReport(
        std::span<std::uint8_t> buffer) override;
    InputRead readNewestInputReport() override;
    std::optional<std::u16string> manufacturer() override;
    std::optional<std::u16string> product() override;

    // The first request the clock left unanswered; nothing while it answers.
    std::optional<ClockRequest> unanswered() const { return unanswered_; }
    // That request's call, which may still be running: on Linux, opening or closing any hidraw
    // device waits until it returns.
    std::shared_ptr<const PendingCall> unansweredCall() const { return unansweredCall_; }
    // Destroying this leaves closing the device to its thread, which may wait in the kernel.
    void closeInBackground() { io_.closeInBackground(); }
    // Done once the device is closed.
    std::shared_ptr<PendingCall> closed() const { return io_.closed(); }

private:
    // The call's result, or `failed` when the clock did not answer it or an earlier one.
    template <typename Result>
    Result call(ClockRequest request, Result failed, std::function<Result(HidDevice&)> work);

    std::size_t featureReportLength_;
    std::size_t inputReportLength_;
    CallWaiter wait_;
    std::optional<ClockRequest> unanswered_;
    std::shared_ptr<const PendingCall> unansweredCall_;
    ClockIoThread io_;
};

}  // namespace tarnwell
