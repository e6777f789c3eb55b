#include "ClockListing.h"

#include "readback/IdentityText.h"

namespace tarnwell::ctl {

StepResult listClocks(HidBackend& backend, const UsbIdList& ids, const CtlTime& time,
                      const CommandDeadline& deadline, std::vector<ListedClock>& clocks) {
    for (HidDeviceInfo& info : enumerateClocks(backend, ids)) {
        ListedClock listed{std::move(info), std::nullopt, std::nullopt, {}};
        if (listed.info.serial)
            listed.serial = identityText(*listed.info.serial);
        ClockSession session(backend, ids, time, deadline);
        if (StepResult failed = session.open(listed.info)) {
            if (failed->status != kExitCannotOpen)
                return failed;
            listed.refusal = std::move(failed);
        } else if (StepResult unanswered = session.readIdentity(listed.identity)) {
            return unanswered;
        }
        clocks.push_back(std::move(listed));
    }
    return std::nullopt;
}

}  // namespace tarnwell::ctl
