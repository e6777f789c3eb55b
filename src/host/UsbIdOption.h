#pragma once

// The --usb-id option as the window and tarnwell-ctl both take it: its values read, the complaint
// about a malformed one, and the places its help names.

#include <span>
#include <string>
#include <vector>

#include "device/UsbIds.h"

namespace tarnwell {

struct UsbIdOptionValues {
    UsbIdList ids;          // in the order given
    std::string complaint;  // about the first malformed value; empty when every value is an id
};

UsbIdOptionValues readUsbIdOption(std::span<const std::string> texts);

// The settings files as a person knows them ("~/.config/tarnwell/usb-ids.conf", ...), per-user
// first, for the help of the programs.
std::vector<std::string> usbIdSettingsFilesShown();

}  // namespace tarnwell
