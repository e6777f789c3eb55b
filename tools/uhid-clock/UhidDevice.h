#pragma once

#include <linux/uhid.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarnwell::uhidclock {

struct UhidIdentity {
    std::string name;    // the product string the host sees
    std::string serial;  // HID_UNIQ, the serial-number string
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t version = 0;
    std::vector<std::uint8_t> reportDescriptor;
};

// One HID device that the kernel hosts on behalf of this process: it exists from create() until
// the object is destroyed, which the host sees as an unplug.
class UhidDevice {
public:
    // Nothing (and a reason in error) when /dev/uhid cannot be opened or refuses the device.
    static std::unique_ptr<UhidDevice> create(const UhidIdentity& identity, std::string& error);
    ~UhidDevice();
    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    // Readable when the kernel has an event for this device.
    int fd() const { return fd_; }

    // Nothing when no event could be read.
    std::optional<uhid_event> readEvent();

    bool sendInputReport(std::span<const std::uint8_t> report);
    // An answer of nothing tells the host the request failed.
    bool answerGetReport(std::uint32_t requestId,
                         std::optional<std::span<const std::uint8_t>> report);
    bool answerSetReport(std::uint32_t requestId, bool accepted);

private:
    explicit UhidDevice(int fd) : fd_(fd) {}
    bool write(const uhid_event& event);

    int fd_;
};

}  // namespace tarnwell::uhidclock
