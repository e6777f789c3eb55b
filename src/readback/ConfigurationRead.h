#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "device/HidBackend.h"
#include "readback/ConfigReport.h"

namespace tarnwell {

// The clock needs a short pause before each identity or configuration request.
inline constexpr std::chrono::milliseconds kRequestPause{5};
using RequestPause = std::function<void(std::chrono::milliseconds)>;

// The clock's strings as the tool shows them; nothing for a string that could not be read.
struct ClockIdentity {
    std::optional<std::string> manufacturer;
    std::optional<std::string> product;
};

// Manufacturer, then product, each after the pause. A failed string does not stop the other.
ClockIdentity readIdentity(HidDevice& device, const RequestPause& pause);

// The configuration report after the pause; nothing when the request fails or the clock's
// report is too short to hold the configuration.
std::optional<DeviceConfiguration> readConfiguration(HidDevice& device, const RequestPause& pause);

}  // namespace tarnwell
