#pragma once

// Which USB ids are in force: the first of these that names any wins, replacing the others:
//   1. --usb-id options (the caller parses them),
//   2. the environment variable TARNWELL_USB_IDS ("1209:5457,1234:abcd"),
//   3. the per-user settings file, then the system-wide ones (one VID:PID a line, # comments),
//   4. the build's pair.
// A malformed entry, or a settings file that is there but cannot be read (not a regular file, too
// large, not readable by this user), is refused with a message naming where it stands and why,
// and the build's pair is used.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/UsbIds.h"
#include "hostio/RegularFile.h"

namespace tarnwell {

inline constexpr std::string_view kUsbIdsVariable = "TARNWELL_USB_IDS";
// Far more than any list of ids needs; every id is looked for at each scan, so their number is
// bounded too.
inline constexpr std::size_t kSettingsFileLimit = kMebibyte;
inline constexpr std::size_t kMostUsbIds = 1000;

// The parts of the machine the rule reads, replaceable in tests.
struct SettingsPlatform {
    std::function<std::optional<std::string>(const std::string& name)> environment;
    std::function<FileRead(const std::string& path)> readFile;
    bool windows = false;
};

// This process's environment and files, each file read as a regular file within
// kSettingsFileLimit.
SettingsPlatform thisPlatform();

// The settings files, per-user first: $XDG_CONFIG_HOME (or ~/.config), then each of
// $XDG_CONFIG_DIRS (or /etc/xdg), each with tarnwell/usb-ids.conf; on Windows %APPDATA% and then
// %PROGRAMDATA%, each with tarnwell\usb-ids.conf.
std::vector<std::string> usbIdSettingsFiles(const SettingsPlatform& platform);

struct UsbIdsInForce {
    UsbIdList ids;
    std::string origin;                   // "--usb-id", the variable, a file's path, or the build
    std::vector<std::string> complaints;  // the malformed entry or unreadable file, named
};

// What a complaint is followed by where the program goes on: "; using the build's default ...".
std::string fallbackNote();

UsbIdsInForce resolveUsbIds(const UsbIdList& fromOptions, const SettingsPlatform& platform);

}  // namespace tarnwell
