#pragma once

// The exit statuses a script may rely on, each with its meaning: --help (and so the manual page
// made from it) lists this table.

#include <string>
#include <vector>

namespace tarnwell::ctl {

enum ExitStatus : int {
    kExitDone = 0,
    kExitUsage = 2,
    kExitNoSuchClock = 3,
    kExitCannotOpen = 4,
    kExitNoExactSetting = 5,
    kExitDeviceError = 6,
    kExitReadbackDiffers = 7,
    kExitNoLock = 8,
    kExitDiffers = 9,
};

struct ExitStatusMeaning {
    std::string statuses;  // "2", or "130, 143"
    std::string meaning;   // lines wrapped for the help text, "\n" between them
};

// Every status the program ends with, in order, those of the output check and of an interruption
// included.
const std::vector<ExitStatusMeaning>& exitStatusMeanings();

}  // namespace tarnwell::ctl
