#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/HidBackend.h"
#include "device/UsbIds.h"

namespace tarnwell {

// A clock interface as listed, and whether this user can open it.
struct DiscoveredClock {
    HidDeviceInfo info;
    // Why the trial open failed; nothing when it worked or was skipped.
    std::optional<OpenFailure> refusal;

    bool openable() const { return !refusal.has_value(); }
};

// Called with each clock the trial open opened, before it is closed again.
using WhileOpen = std::function<void(const HidDeviceInfo&, HidDevice&)>;

// Every attached interface with one of the ids, in enumerateClocks' order. Each is opened
// once and closed again, because listing alone cannot tell whether this user may open it. Paths
// in alreadyOpen are not tried: they are open here, so they count as openable.
std::vector<DiscoveredClock> discoverClocks(HidBackend& backend, const UsbIdList& ids,
                                            std::span<const std::string> alreadyOpen = {},
                                            const WhileOpen& whileOpen = {});

}  // namespace tarnwell
