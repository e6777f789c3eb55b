#include "device/ClockDiscovery.h"

#include <algorithm>

#include "device/FeatureReport.h"

namespace tarnwell {

std::vector<DiscoveredClock> discoverClocks(HidBackend& backend,
                                            std::span<const std::string> alreadyOpen) {
    std::vector<DiscoveredClock> found;
    for (HidDeviceInfo& info : backend.enumerate(DeviceVendorId, DeviceProductId)) {
        // A backend may list more than was asked for; only our clocks count.
        if (info.vendorId != DeviceVendorId || info.productId != DeviceProductId)
            continue;
        DiscoveredClock clock{.info = std::move(info), .refusal = std::nullopt};
        if (std::ranges::find(alreadyOpen, clock.info.path) == alreadyOpen.end()) {
            // Closed again at the end of this statement.
            if (const OpenResult trial = backend.open(clock.info.path); !trial)
                clock.refusal = trial.failure;
        }
        found.push_back(std::move(clock));
    }
    return found;
}

}  // namespace tarnwell
