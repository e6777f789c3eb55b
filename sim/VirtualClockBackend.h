#pragma once

#include <cstdint>
#include <memory>
#include <optional>
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
    [[nodiscard]] OpenResult open(const std::string& path) override;

    // Like a backend that lists every device whatever ids it is asked for, as some may: callers
    // must check the ids themselves.
    void setListsEveryDevice(bool every) { listsEveryDevice_ = every; }

    // Like a system that announces plugging (the default), or like one that does not.
    void setNotifiesChanges(bool notifies) { notifiesChanges_ = notifies; }
    bool notifiesChanges() const override { return notifiesChanges_; }
    // True after a clock was added, removed, plugged in or out, or began or stopped refusing
    // opens.
    [[nodiscard]] bool takeChanges() override;

    // Opens attempted through this backend, failed ones included.
    std::size_t openCount() const { return openCount_; }
    std::size_t enumerationCount() const { return enumerationCount_; }

private:
    struct Seen {
        const VirtualClock* clock;
        std::string path;
        bool pluggedIn;
        std::optional<OpenFailure> refusal;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> snapshot() const;

    std::vector<std::shared_ptr<VirtualClock>> clocks_;
    bool notifiesChanges_ = true;
    bool listsEveryDevice_ = false;
    std::vector<Seen> lastSeen_;
    std::size_t openCount_ = 0;
    std::size_t enumerationCount_ = 0;
    std::size_t nextClockId_ = 1;
};

}  // namespace tarnwell
