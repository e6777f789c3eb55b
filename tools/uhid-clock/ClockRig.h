#pragma once

#include <poll.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ControlProtocol.h"
#include "UhidClock.h"

namespace tarnwell::uhidclock {

// The simulated clocks of one run, each known by its serial number, and the requests that act on
// them.
class ClockRig {
public:
    // Every clock of the rig carries these USB ids.
    explicit ClockRig(UsbId usbId) : usbId_(usbId) {}

    // The complete reply: data lines, then "ok" or "error: ...", each ending in a newline.
    std::string execute(const Request& request);
    std::string execute(std::string_view line);

    const std::vector<std::unique_ptr<UhidClock>>& clocks() const { return clocks_; }
    void sendInputReports();
    // What to poll for the kernel's events: the plugged clocks' descriptors.
    std::vector<pollfd> kernelEvents() const;
    // Answers the kernel's event on this descriptor, which one of the clocks has.
    void handleEvent(int fd);
    // Ends the timed stalls that are over; the earliest end still to come, if any.
    std::optional<std::chrono::steady_clock::time_point> resumeStallsDue();

private:
    std::string add(const AddClock& request);
    UhidClock* find(const std::string& serial);
    // Serves the other clocks' requests until `done`: for a reply that waits for the kernel.
    void answerUntil(const std::function<bool()>& done);

    UsbId usbId_;
    std::vector<std::unique_ptr<UhidClock>> clocks_;
};

}  // namespace tarnwell::uhidclock
