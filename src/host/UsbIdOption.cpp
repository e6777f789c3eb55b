#include "host/UsbIdOption.h"

#include "host/UsbIdSettings.h"
#include "hostio/SafeText.h"

namespace tarnwell {

UsbIdOptionValues readUsbIdOption(std::span<const std::string> texts) {
    UsbIdOptionValues values;
    for (const std::string& text : texts) {
        if (const std::optional<UsbId> id = parseUsbId(text)) {
            values.ids.push_back(*id);
        } else if (values.complaint.empty()) {
            values.complaint = "--usb-id needs VID:PID in hex, such as " +
                               usbIdText(defaultUsbIds().front()) + ", not \"" + printable(text) +
                               "\"";
        }
    }
    return values;
}

std::vector<std::string> usbIdSettingsFilesShown() {
    // The folders the variables usually name, written the way people write them.
    SettingsPlatform shown = thisPlatform();
    shown.environment = [](const std::string& name) -> std::optional<std::string> {
        if (name == "HOME")
            return "~";
        if (name == "APPDATA" || name == "PROGRAMDATA")
            return "%" + name + "%";
        return std::nullopt;
    };
    return usbIdSettingsFiles(shown);
}

}  // namespace tarnwell
