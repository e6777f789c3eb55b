#include "device/UsbIdSettings.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarnwell {

namespace {

constexpr std::string_view kBuildOrigin = "the build's default";

UsbIdList withoutRepeats(const UsbIdList& ids) {
    UsbIdList distinct;
    for (const UsbId& id : ids)
        if (std::ranges::find(distinct, id) == distinct.end())
            distinct.push_back(id);
    return distinct;
}

UsbIdsInForce buildDefault(std::vector<std::string> complaints) {
    return {defaultUsbIds(), std::string(kBuildOrigin), std::move(complaints)};
}

std::string refusal(const std::string& where, std::string_view entry) {
    return where + ": \"" + std::string(entry) + "\" is not a USB id VID:PID (such as " +
           usbIdText(defaultUsbIds().front()) + "); using the build's default " +
           usbIdListText(defaultUsbIds());
}

// Entries of the variable, separated by commas or blanks.
std::optional<UsbIdsInForce> fromVariable(const std::string& value) {
    UsbIdList ids;
    std::string entry;
    std::istringstream entries(value);
    while (std::getline(entries, entry, ',')) {
        std::istringstream words(entry);
        for (std::string word; words >> word;) {
            const std::optional<UsbId> id = parseUsbId(word);
            if (!id)
                return buildDefault({refusal(std::string(kUsbIdsVariable), word)});
            ids.push_back(*id);
        }
    }
    if (ids.empty())
        return std::nullopt;
    return UsbIdsInForce{withoutRepeats(ids), std::string(kUsbIdsVariable), {}};
}

std::optional<UsbIdsInForce> fromFile(const std::string& path, const std::string& text) {
    UsbIdList ids;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::string_view entry = std::string_view(line).substr(0, line.find('#'));
        if (entry.find_first_not_of(" \t\r") == std::string_view::npos)
            continue;
        const std::optional<UsbId> id = parseUsbId(entry);
        if (!id)
            return buildDefault({refusal(path + ":" + std::to_string(number), entry)});
        ids.push_back(*id);
    }
    if (ids.empty())
        return std::nullopt;
    return UsbIdsInForce{withoutRepeats(ids), path, {}};
}

std::vector<std::string> splitPaths(const std::string& list) {
    std::vector<std::string> paths;
    std::istringstream parts(list);
    for (std::string part; std::getline(parts, part, ':');)
        if (!part.empty())
            paths.push_back(part);
    return paths;
}

}  // namespace

SettingsPlatform thisPlatform() {
    SettingsPlatform platform;
    platform.environment = [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr)
            return std::nullopt;
        return std::string(value);
    };
    platform.readFile = [](const std::string& path) -> std::optional<std::string> {
        std::ifstream file(path, std::ios::binary);
        if (!file)
            return std::nullopt;
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    };
#ifdef _WIN32
    platform.windows = true;
#endif
    return platform;
}

std::vector<std::string> usbIdSettingsFiles(const SettingsPlatform& platform) {
    const auto variable = [&](const char* name) {
        std::optional<std::string> value = platform.environment(name);
        return value && !value->empty() ? value : std::nullopt;
    };
    std::vector<std::string> files;
    if (platform.windows) {
        for (const char* name : {"APPDATA", "PROGRAMDATA"})
            if (const auto folder = variable(name))
                files.push_back(*folder + "\\tarnwell\\usb-ids.conf");
        return files;
    }
    if (const auto home = variable("XDG_CONFIG_HOME"))
        files.push_back(*home + "/tarnwell/usb-ids.conf");
    else if (const auto user = variable("HOME"))
        files.push_back(*user + "/.config/tarnwell/usb-ids.conf");
    for (const std::string& folder : splitPaths(variable("XDG_CONFIG_DIRS").value_or("/etc/xdg")))
        files.push_back(folder + "/tarnwell/usb-ids.conf");
    return files;
}

UsbIdsInForce resolveUsbIds(const UsbIdList& fromOptions, const SettingsPlatform& platform) {
    if (!fromOptions.empty())
        return {withoutRepeats(fromOptions), "--usb-id", {}};
    if (const auto value = platform.environment(std::string(kUsbIdsVariable)))
        if (auto found = fromVariable(*value))
            return *found;
    for (const std::string& path : usbIdSettingsFiles(platform))
        if (const auto text = platform.readFile(path))
            if (auto found = fromFile(path, *text))
                return *found;
    return buildDefault({});
}

}  // namespace tarnwell
