#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <span>
#include <string_view>

#include "ExitStatus.h"
#include "device/HidBackend.h"

namespace tarnwell::ctl {

// How long a command may go on after SIGINT or SIGTERM before it is ended (--watch ends at once).
inline constexpr std::chrono::milliseconds kInterruptGrace{500};

// Time as the program sees it, so tests can run waits and watches without waiting.
struct CtlTime {
    std::function<std::chrono::steady_clock::time_point()> now;
    std::function<std::chrono::system_clock::time_point()> wallClock;  // for timestamps
    std::function<void(std::chrono::milliseconds)> sleep;
    std::function<bool()> interrupted;  // --watch ends when this turns true
    // Tells the service manager how the program is doing ("READY=1", "WATCHDOG=1"); may be empty.
    std::function<void(const char*)> tellService;

    // The machine's clocks and a real sleep.
    static CtlTime real(std::function<bool()> interrupted);
};

// The whole program on the given clocks: prints on `out` (the result, or the JSON document) and
// `err` (complaints and notes), and returns the exit status.
int runCtl(std::span<const std::string_view> args, HidBackend& backend, const CtlTime& time,
           std::ostream& out, std::ostream& err);

// The --help text.
std::string_view ctlHelpText();

}  // namespace tarnwell::ctl
