#include "device/UsbIds.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "device/DeviceIds.h"

namespace tarnwell {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::optional<std::uint16_t> hexField(std::string_view digits) {
    if (digits.empty() || digits.size() > 4)
        return std::nullopt;
    std::uint16_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc{} || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

}  // namespace

const UsbIdList& defaultUsbIds() {
    static const UsbIdList ids{{DeviceVendorId, DeviceProductId}};
    return ids;
}

std::optional<UsbId> parseUsbId(std::string_view text) {
    text = trimmed(text);
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto vendor = hexField(text.substr(0, colon));
    const auto product = hexField(text.substr(colon + 1));
    if (!vendor || !product)
        return std::nullopt;
    return UsbId{*vendor, *product};
}

std::string usbIdText(const UsbId& id) {
    char text[10];
    std::snprintf(text, sizeof text, "%04x:%04x", id.vendor, id.product);
    return text;
}

std::string usbIdListText(const UsbIdList& ids) {
    std::string text;
    for (const UsbId& id : ids)
        text += (text.empty() ? "" : ", ") + usbIdText(id);
    return text;
}

bool isClockInterface(const HidDeviceInfo& info, const UsbIdList& ids) {
    return std::ranges::find(ids, UsbId{info.vendorId, info.productId}) != ids.end();
}

std::vector<HidDeviceInfo> enumerateClocks(HidBackend& backend, const UsbIdList& ids) {
    std::vector<HidDeviceInfo> clocks;
    for (const UsbId& id : ids) {
        for (HidDeviceInfo& info : backend.enumerate(id.vendor, id.product)) {
            if (info.vendorId == id.vendor && info.productId == id.product)
                clocks.push_back(std::move(info));
        }
    }
    return clocks;
}

}  // namespace tarnwell
