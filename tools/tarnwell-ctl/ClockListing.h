#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ClockSession.h"
#include "device/HidBackend.h"
#include "device/UsbIds.h"
#include "readback/ConfigurationRead.h"

namespace tarnwell::ctl {

// One attached clock as `list` reports it: what the system lists, and what one open told.
struct ListedClock {
    HidDeviceInfo info;
    std::optional<std::string> serial;      // as the window lists it; nothing when unreadable
    std::optional<SessionFailure> refusal;  // nothing: this user may open it
    ClockIdentity identity;                 // read from the open clock
};

// Every interface with one of the ids, each tried with one open, which also reads its identity.
// Fails when a clock does not answer in time.
StepResult listClocks(HidBackend& backend, const UsbIdList& ids, const CtlTime& time,
                      const CommandDeadline& deadline, std::vector<ListedClock>& clocks);

}  // namespace tarnwell::ctl
