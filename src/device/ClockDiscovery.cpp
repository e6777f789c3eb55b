#include "device/ClockDiscovery.h"

#include <algorithm>

namespace tarnwell {

std::vector<DiscoveredClock> discoverClocks(HidBackend& backend, const UsbIdList& ids,
                                            std::span<const std::string> alreadyOpen,
                                            const WhileOpen& whileOpen) {
    std::vector<DiscoveredClock> found;
    for (HidDeviceInfo& info : enumerateClocks(backend, ids)) {
        DiscoveredClock clock{.info = std::move(info), .refusal = std::nullopt};
        if (std::ranges::find(alreadyOpen, clock.info.path) == alreadyOpen.end()) {
            // Closed again at the end of this block.
            const OpenResult trial = backend.open(clock.info.path);
            if (!trial)
                clock.refusal = trial.failure;
            else if (whileOpen)
                whileOpen(clock.info, *trial.device);
        }
        found.push_back(std::move(clock));
    }
    return found;
}

}  // namespace tarnwell
