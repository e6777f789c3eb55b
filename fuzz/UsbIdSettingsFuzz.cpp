#include <algorithm>
#include <set>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "host/UsbIdSettings.h"

namespace tarnwell::fuzz {

namespace {

constexpr std::string_view kSettingsFile = "/home/u/.config/tarnwell/usb-ids.conf";
// The file's path and an escaped start of the entry.
constexpr std::size_t kLongestComplaint = 400;

}  // namespace

// Any bytes as the per-user settings file: the ids in force are the file's, without repeats,
// or the build's with one short, escaped complaint naming the file; never none.
int fuzzUsbIdSettings(const std::uint8_t* data, std::size_t size) {
    const std::string text(asText(data, size));
    SettingsPlatform platform;
    platform.environment = [](const std::string& name) -> std::optional<std::string> {
        return name == "HOME" ? std::optional<std::string>("/home/u") : std::nullopt;
    };
    platform.readFile = [&text](const std::string& path) {
        return path == kSettingsFile ? FileRead(text) : FileRead();
    };
    const UsbIdsInForce ids = resolveUsbIds({}, platform);
    require(!ids.ids.empty(), "some ids are always in force");
    std::set<std::pair<int, int>> distinct;
    for (const UsbId& id : ids.ids)
        distinct.emplace(id.vendor, id.product);
    require(distinct.size() == ids.ids.size(), "no id is listed twice");
    require(ids.complaints.size() <= 1, "reading stops at the first malformed entry");
    if (ids.complaints.empty()) {
        require(ids.origin == kSettingsFile || ids.ids == defaultUsbIds(),
                "the file's ids, or the build's when it names none");
        return 0;
    }
    const std::string& complaint = ids.complaints.front();
    require(ids.ids == defaultUsbIds(), "a malformed file gives the build's ids");
    require(complaint.starts_with(kSettingsFile) && complaint.size() <= kLongestComplaint &&
                std::ranges::none_of(complaint,
                                     [](char c) {
                                         const auto byte = static_cast<unsigned char>(c);
                                         return byte < 0x20 || byte == 0x7F;
                                     }),
            "a complaint names the file on one short line without control characters");
    return 0;
}

}  // namespace tarnwell::fuzz
