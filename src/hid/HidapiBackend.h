#pragma once

#include <memory>

#include "device/HidBackend.h"

namespace tarnwell {

class HidapiSession;
class UdevMonitor;

// Clocks on the machine's real HID stack, through hidapi.
class HidapiBackend final : public HidBackend {
public:
    HidapiBackend();
    ~HidapiBackend() override;

    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    [[nodiscard]] OpenResult open(const std::string& path) override;
    // On Linux, udev announces hidraw nodes coming and going; elsewhere callers enumerate.
    bool notifiesChanges() const override { return changes_ != nullptr; }
    int changeDescriptor() const override;
    [[nodiscard]] bool takeChanges() override;

private:
    std::shared_ptr<HidapiSession> session_;
    std::unique_ptr<UdevMonitor> changes_;
};

}  // namespace tarnwell
