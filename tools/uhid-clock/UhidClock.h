#pragma once

#include <chrono>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ControlProtocol.h"
#include "UhidDevice.h"
#include "device/UsbIds.h"
#include "sim/ClockModel.h"

namespace tarnwell::uhidclock {

// One simulated clock on the kernel's HID bus: the same protocol model as the in-process virtual
// clock, answering the host's feature requests and sending its status as input reports. It keeps
// its settings and its log while unplugged, like a clock that is carried to another port.
class UhidClock {
public:
    UhidClock(std::string serial, UsbId usbId, std::size_t featureReportLength,
              std::size_t inputReportLength, std::size_t topLevelCollections = 1);

    const std::string& serial() const { return serial_; }
    bool plugged() const { return device_ != nullptr; }
    // The device's event descriptor; -1 while unplugged.
    int fd() const { return device_ ? device_->fd() : -1; }

    // False, with the reason in error, when the kernel refuses the device.
    bool plug(std::string& error);
    // Substitute answers not given yet are dropped: a replugged clock's firmware starts afresh.
    // Requests held by a stall fail first, as a USB host fails a gone device's transfers. The
    // device goes away on a thread of its own (see leaving_): until leaving() is false, the host
    // may still see it.
    void unplug();
    bool leaving();

    // Reads one event from the kernel and answers it.
    void handleEvent();
    // False while unplugged or when the kernel refuses it.
    bool sendInputReport();
    // Sends exactly these bytes as one input report; false while unplugged or when refused.
    bool sendRawInputReport(std::span<const std::uint8_t> bytes);
    // The next configuration request gets these bytes, or a refusal, instead of the configuration.
    void answerNextConfigurationWith(std::optional<std::vector<std::uint8_t>> bytes) {
        configurationAnswers_.push_back(std::move(bytes));
    }
    void setStatus(std::uint8_t signalLossCount, std::uint8_t statusBits);

    // Like firmware that hangs: feature requests go unanswered (uhid fails them after its own
    // wait) and no input reports are sent, until the time is up or resume(); nothing: for good.
    void stall(std::optional<std::chrono::steady_clock::time_point> until);
    // Answers the requests held back, oldest first; uhid ignores those it gave up on.
    void resume();
    // Resumes when a timed stall is over; until then, when that will be.
    std::optional<std::chrono::steady_clock::time_point> resumeWhenDue(
        std::chrono::steady_clock::time_point now);

    const std::vector<LoggedReport>& log() const { return log_; }
    void clearLog() { log_.clear(); }

private:
    void answerGetReport(const uhid_get_report_req& request);
    void answerSetReport(const uhid_set_report_req& request);
    void answer(const uhid_event& request);
    bool stalled() const { return stalled_; }

    std::string serial_;
    UsbId usbId_;
    std::size_t topLevelCollections_;
    ClockModel model_;
    std::unique_ptr<UhidDevice> device_;
    std::vector<LoggedReport> log_;
    bool stalled_ = false;
    std::optional<std::chrono::steady_clock::time_point> stallEnd_;
    std::vector<uhid_event> held_;
    std::deque<std::optional<std::vector<std::uint8_t>>> configurationAnswers_;
    // Devices being destroyed. The kernel removes a HID device only once every hidraw request
    // under way has returned, also one to another clock of this process, which only the thread
    // that unplugs could answer: done there, the two would wait for each other until uhid gives
    // up on the request after 5 s. A USB clock's removal waits for nothing of the kind.
    std::vector<std::future<void>> leaving_;
};

}  // namespace tarnwell::uhidclock
