#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/HidBackend.h"
#include "sim/VirtualClock.h"

namespace tarnwell {

// A HID backend of simulated clocks for tests, the demo and benchmarks. Clocks are listed in the
// order they were added. Handles it opens stay safe to use after the clock or the backend is
// gone: every call on them then fails, as on an unplugged device.
class VirtualClockBackend : public HidBackend {
public:
    // The clock is plugged in at once. The reference stays valid until removeClock() or the
    // backend's end.
    VirtualClock& addClock(VirtualClockDescription description = {});
    void removeClock(const VirtualClock& clock);
    const std::vector<std::shared_ptr<VirtualClock>>& clocks() const { return clocks_; }

    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    OpenResult open(const std::string& path) override;

    // Opens attempted through this backend, failed ones included.
    std::size_t openCount() const { return openCount_; }

private:
    std::vector<std::shared_ptr<VirtualClock>> clocks_;
    std::size_t openCount_ = 0;
    std::size_t nextClockId_ = 1;
};

}  // namespace tarnwell
