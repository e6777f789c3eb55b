#include "ClockListing.h"

#include <map>

#include "device/ClockDiscovery.h"
#include "readback/IdentityText.h"

namespace tarnwell::ctl {

std::vector<ListedClock> listClocks(HidBackend& backend, const UsbIdList& ids,
                                    const RequestPause& pause) {
    std::map<std::string, ClockIdentity> identities;
    const std::vector<DiscoveredClock> found =
        discoverClocks(backend, ids, {}, [&](const HidDeviceInfo& info, HidDevice& device) {
            identities[info.path] = readIdentity(device, pause);
        });
    std::vector<ListedClock> clocks;
    for (const DiscoveredClock& clock : found) {
        ListedClock listed{clock.info, std::nullopt, clock.refusal, identities[clock.info.path]};
        if (clock.info.serial)
            listed.serial = identityText(*clock.info.serial);
        clocks.push_back(std::move(listed));
    }
    return clocks;
}

}  // namespace tarnwell::ctl
