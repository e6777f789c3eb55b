#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ControlProtocol.h"

namespace tarnwell::uhidclock {

// The simulator program running beside a test, with a connection to its control socket. Stopping
// it (the destructor) unplugs every clock it made.
class UhidClockProcess {
public:
    struct Reply {
        bool ok = false;
        std::vector<std::string> lines;  // data lines, or the error text when not ok
    };

    // Starts tarnwell-uhid-clock with these clocks; running() tells whether it came up. The clocks
    // carry the build's USB ids unless usbId ("VID:PID") names others.
    explicit UhidClockProcess(
        const std::vector<std::string>& serials,
        std::chrono::milliseconds inputInterval = std::chrono::milliseconds(100),
        const std::string& usbId = {});
    ~UhidClockProcess();
    UhidClockProcess(const UhidClockProcess&) = delete;
    UhidClockProcess& operator=(const UhidClockProcess&) = delete;

    bool running() const { return socket_ >= 0; }
    Reply request(std::string_view line);

    // The reports the clock received, oldest first; empty when it does not exist.
    std::vector<LoggedReport> log(const std::string& serial);

private:
    pid_t pid_ = -1;
    int socket_ = -1;
    std::string directory_;
    std::string received_;  // bytes after the last complete line
};

// Tries the condition until it holds or the time is up, calling wait between tries.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
                const std::function<void()>& wait = {});

// The kernel-level devices exist only where /dev/uhid does (inside the test VM).
bool uhidAvailable();

// True when the VM runs the tests as a user who may not open the clocks' nodes
// (TARNWELL_UHID_ACCESS=denied), as on a machine without the udev rule.
bool nodeAccessDenied();
// Whether this process may open the node, or is not meant to (see nodeAccessDenied()).
bool nodeAsExpected(const std::string& path);

}  // namespace tarnwell::uhidclock
