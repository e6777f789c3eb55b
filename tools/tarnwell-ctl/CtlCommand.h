#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <span>
#include <string_view>

#include "device/HidBackend.h"

namespace tarnwell::ctl {

// Exit statuses a script may rely on; --help and the README list them.
enum ExitStatus : int {
    kExitDone = 0,
    kExitUsage = 2,            // bad argument or option: nothing was sent
    kExitNoSuchClock = 3,      // no clock, or none with that serial
    kExitCannotOpen = 4,       // the clock is there but cannot be opened
    kExitNoExactSetting = 5,   // the search found no exact setting
    kExitDeviceError = 6,      // a send or a read failed
    kExitReadbackDiffers = 7,  // the clock reads back other values than were sent
    kExitNoLock = 8,           // no PLL lock and GPS signal within --wait-lock
    kExitDiffers = 9,          // diff: the clock's configuration differs from the file
};

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
