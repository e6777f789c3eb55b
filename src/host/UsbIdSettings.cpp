#include "host/UsbIdSettings.h"

#include <cstdlib>
#include <sstream>
#include <unordered_set>

#include "hostio/SafeText.h"

namespace tarnwell {

namespace {

constexpr std::string_view kBuildOrigin = "the build's default";
// The file in each settings folder.
constexpr const char* kSettingsFolder = "tarnwell";
constexpr const char* kSettingsFile = "usb-ids.conf";
// Some editors start a UTF-8 file with it.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// In the order first given; linear, for files of many ids.
UsbIdList withoutRepeats(const UsbIdList& ids) {
    UsbIdList distinct;
    std::unordered_set<std::uint32_t> seen;
    for (const UsbId& id : ids)
        if (seen.insert(std::uint32_t{id.vendor} << 16 | id.product).second)
            distinct.push_back(id);
    return distinct;
}

UsbIdsInForce buildDefault(std::vector<std::string> complaints) {
    return {defaultUsbIds(), std::string(kBuildOrigin), std::move(complaints)};
}

// The ids a source names, when it names any and not more than kMostUsbIds.
std::optional<UsbIdsInForce> named(const UsbIdList& ids, const std::string& origin) {
    if (ids.empty())
        return std::nullopt;
    UsbIdList distinct = withoutRepeats(ids);
    if (distinct.size() > kMostUsbIds)
        return buildDefault({printable(origin, std::string::npos) + ": more than " +
                             std::to_string(kMostUsbIds) + " USB ids"});
    return UsbIdsInForce{std::move(distinct), origin, {}};
}

std::string refusal(const std::string& where, std::string_view entry) {
    return printable(where, std::string::npos) + ": \"" + printable(entry) +
           "\" is not a USB id VID:PID (such as " + usbIdText(defaultUsbIds().front()) + ")";
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
    return named(ids, std::string(kUsbIdsVariable));
}

std::optional<UsbIdsInForce> fromFile(const std::string& path, std::string_view text) {
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    UsbIdList ids;
    std::istringstream lines{std::string(text)};
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
    return named(ids, path);
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

std::string fallbackNote() {
    return "; using the build's default " + usbIdListText(defaultUsbIds());
}

SettingsPlatform thisPlatform() {
    SettingsPlatform platform;
    platform.environment = [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr)
            return std::nullopt;
        return std::string(value);
    };
    platform.readFile = [](const std::string& path) {
        return readRegularFile(path, kSettingsFileLimit);
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
                files.push_back(*folder + "\\" + kSettingsFolder + "\\" + kSettingsFile);
        return files;
    }
    const std::string under = std::string("/") + kSettingsFolder + "/" + kSettingsFile;
    if (const auto home = variable("XDG_CONFIG_HOME"))
        files.push_back(*home + under);
    else if (const auto user = variable("HOME"))
        files.push_back(*user + "/.config" + under);
    for (const std::string& folder : splitPaths(variable("XDG_CONFIG_DIRS").value_or("/etc/xdg")))
        files.push_back(folder + under);
    return files;
}

UsbIdsInForce resolveUsbIds(const UsbIdList& fromOptions, const SettingsPlatform& platform) {
    if (!fromOptions.empty())
        return {withoutRepeats(fromOptions), "--usb-id", {}};
    if (const auto value = platform.environment(std::string(kUsbIdsVariable)))
        if (auto found = fromVariable(*value))
            return *found;
    for (const std::string& path : usbIdSettingsFiles(platform)) {
        const FileRead file = platform.readFile(path);
        if (file.outcome == FileRead::Outcome::Refused)
            return buildDefault(
                {"cannot read " + printable(path, std::string::npos) + ": " + file.reason});
        if (file.read())
            if (auto found = fromFile(path, file.text))
                return *found;
    }
    return buildDefault({});
}

}  // namespace tarnwell
