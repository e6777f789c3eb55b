#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <utility>

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

    // While a clock's open holds hidapi's process state past a short wait, the last listing of
    // these ids: a caller that lists on its event loop is not held up, and lists again soon.
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
    std::mutex listedMutex_;
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::vector<HidDeviceInfo>> listed_;
};

}  // namespace tarnwell
