#include "ExitStatus.h"

#include "CtlCommand.h"
#include "hostio/OutputCheck.h"

namespace tarnwell::ctl {

const std::vector<ExitStatusMeaning>& exitStatusMeanings() {
    static const std::vector<ExitStatusMeaning> meanings = {
        {std::to_string(kExitDone), "done"},
        {std::to_string(kExitOutputFailed),
         "standard output or standard error could not be written (a full disk, say)"},
        {std::to_string(kExitUsage),
         "usage error: bad argument, unknown option, value out of range or not among the "
         "choices,\nseveral clocks attached and no -s; nothing was sent"},
        {std::to_string(kExitNoSuchClock),
         "no such clock: none attached, none with that serial, or unplugged before it was "
         "opened"},
        {std::to_string(kExitCannotOpen),
         "the clock cannot be opened (permission denied, busy, ...)"},
        {std::to_string(kExitNoExactSetting), "no exact setting for the frequency asked"},
        {std::to_string(kExitDeviceError),
         "device error: a send or a read failed, the clock did not answer in time, or no "
         "status\nreport came in time; the message names the step"},
        {std::to_string(kExitReadbackDiffers),
         "the configuration read back differs from what was sent (the fields are listed)"},
        {std::to_string(kExitNoLock), "no PLL lock and GPS signal within --wait-lock"},
        {std::to_string(kExitDiffers), "diff: the clock's configuration differs from the file"},
        {"130, 143",
         "ended by Ctrl-C (SIGINT) or SIGTERM: --watch ends at once with 0, any other command\n"
         "that has not ended " +
             std::to_string(kInterruptGrace.count()) + " ms later with 128 + the signal's number"},
    };
    return meanings;
}

}  // namespace tarnwell::ctl
