#pragma once

// The USB vendor and product ids that mark an interface as a clock: the build's pair by default,
// any list of pairs at run time. The one filter discovery, the clock exchange and tarnwell-ctl use.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/HidBackend.h"

namespace tarnwell {

struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    friend bool operator==(const UsbId&, const UsbId&) = default;
};

using UsbIdList = std::vector<UsbId>;

// The build's pair (DeviceVendorId:DeviceProductId), alone.
const UsbIdList& defaultUsbIds();

// "VID:PID", each one to four hex digits ("1209:5457", "4D8:f00d"); surrounding blanks allowed.
std::optional<UsbId> parseUsbId(std::string_view text);

// "1209:5457": four lower-case hex digits each, as udev compares them.
std::string usbIdText(const UsbId& id);

// "1209:5457, 1234:abcd".
std::string usbIdListText(const UsbIdList& ids);

bool isClockInterface(const HidDeviceInfo& info, const UsbIdList& ids);

// Every interface carrying one of the ids, in the list's order and then in enumeration order. A
// backend may list more than was asked for; only matching interfaces are returned.
std::vector<HidDeviceInfo> enumerateClocks(HidBackend& backend, const UsbIdList& ids);

}  // namespace tarnwell
