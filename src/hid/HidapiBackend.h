#pragma once

#include <memory>

#include "device/HidBackend.h"

namespace tarnwell {

class HidapiSession;
// What tells of clocks coming and going: udev on Linux, device notifications on Windows.
#ifdef _WIN32
class HidArrivalWatch;
using HidChangeWatch = HidArrivalWatch;
#else
class UdevMonitor;
using HidChangeWatch = UdevMonitor;
#endif

// Clocks on the machine's real HID stack, through hidapi.
class HidapiBackend final : public HidBackend {
public:
    HidapiBackend();
    ~HidapiBackend() override;

    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    [[nodiscard]] OpenResult open(const std::string& path) override;
    // On Linux and Windows the system announces clocks coming and going; elsewhere callers
    // enumerate.
    bool notifiesChanges() const override { return changes_ != nullptr; }
    int changeDescriptor() const override;
    [[nodiscard]] bool takeChanges() override;

private:
    std::shared_ptr<HidapiSession> session_;
    std::unique_ptr<HidChangeWatch> changes_;
};

}  // namespace tarnwell
