#include "ClockListing.h"

#include "device/FeatureReport.h"
#include "readback/IdentityText.h"

namespace tarnwell::ctl {

std::vector<ListedClock> listClocks(HidBackend& backend, const RequestPause& pause) {
    std::vector<ListedClock> clocks;
    for (const HidDeviceInfo& info : backend.enumerate(DeviceVendorId, DeviceProductId)) {
        if (info.vendorId != DeviceVendorId || info.productId != DeviceProductId)
            continue;
        ListedClock clock{info, std::nullopt, std::nullopt, {}};
        if (info.serial)
            clock.serial = identityText(*info.serial);
        OpenResult opened = backend.open(info.path);
        if (opened)
            clock.identity = readIdentity(*opened.device, pause);
        else
            clock.openFailure = opened.failure;
        clocks.push_back(std::move(clock));
    }
    return clocks;
}

}  // namespace tarnwell::ctl
