#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/ForwardingBackend.h"

namespace tarnwell::soak {

// One feature-report transfer as the tool hands it to the HID layer, before the clock sees it.
struct FeatureTransfer {
    enum class Direction { Send, Get };
    Direction direction = Direction::Send;
    std::size_t featureReportLength = 0;  // of the device it goes to
    std::vector<std::uint8_t> bytes;      // the whole buffer (for a get, as passed in)
    std::size_t openDevices = 0;          // handles of this backend open at that moment
};

// Passes every call through to another backend and shows each feature-report transfer to a
// watcher first, at the moment the tool makes it, so the watcher can compare it with what the
// window shows right then.
class WatchedBackend : public ForwardingBackend {
public:
    using Watcher = std::function<void(const FeatureTransfer&)>;
    WatchedBackend(HidBackend& inner, Watcher watcher);

    std::size_t openDevices() const { return *openDevices_; }

private:
    std::unique_ptr<HidDevice> wrap(const std::string& path,
                                    std::unique_ptr<HidDevice> device) override;

    Watcher watcher_;
    // Shared with the devices, which may outlive the backend.
    std::shared_ptr<std::size_t> openDevices_ = std::make_shared<std::size_t>(0);
};

}  // namespace tarnwell::soak
