#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "sim/ForwardingBackend.h"
#include "sim/VirtualClockBackend.h"

namespace tarnwell::demo {

// A feature report the window sent to a simulated clock, and whether the clock took it.
struct SentReport {
    const VirtualClock& clock;
    std::span<const std::uint8_t> bytes;
    bool accepted = false;
};

// The simulated clocks as the demo's window sees them: every feature report sent to a clock is
// told to a listener, so the simulator can show it as it happens, and the next send to a clock
// can be made to fail once. Everything else passes straight through to the clocks.
class SimulatorBackend : public ForwardingBackend {
public:
    using SendListener = std::function<void(const SentReport&)>;

    explicit SimulatorBackend(VirtualClockBackend& clocks);
    ~SimulatorBackend() override;

    const std::vector<std::shared_ptr<VirtualClock>>& clocks() const { return clocks_.clocks(); }

    void setSendListener(SendListener listener);
    // One-shot: the next send to the clock fails, whatever it carries, and sends after it work.
    void setNextSendFails(const VirtualClock& clock, bool fails);
    bool nextSendFails(const VirtualClock& clock) const;

private:
    std::unique_ptr<HidDevice> wrap(const std::string& path,
                                    std::unique_ptr<HidDevice> device) override;

    // Shared with the handles, which may outlive the backend.
    struct SendRouting {
        SendListener listener;
        std::set<const VirtualClock*> failingNext;
    };
    class Handle;

    VirtualClockBackend& clocks_;
    std::shared_ptr<SendRouting> routing_;
};

}  // namespace tarnwell::demo
