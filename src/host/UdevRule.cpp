#include "host/UdevRule.h"

#include <algorithm>
#include <sstream>

namespace tarnwell {

namespace {

constexpr std::string_view kReapply =
    "sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=hidraw "
    "--action=change";

std::string matchOf(const UsbId& id) {
    const std::string text = usbIdText(id);
    return "KERNEL==\"hidraw*\", ATTRS{idVendor}==\"" + text.substr(0, 4) +
           "\", ATTRS{idProduct}==\"" + text.substr(5) + "\"";
}

std::string installCommand(std::string_view options) {
    return "tarnwell-ctl udev-rule" + std::string(options) + " | sudo tee /etc/udev/rules.d/" +
           std::string(kUdevRuleName) + " >/dev/null && " + std::string(kReapply);
}

}  // namespace

std::string udevRule(const UsbIdList& ids, std::optional<std::string_view> group) {
    std::string rule =
        "# Tarnwell: lets the user logged in at the seat" +
        (group ? " and the group " + std::string(*group) : std::string()) +
        " open the clocks' hidraw nodes, and names each\n"
        "# /dev/tarnwell/SERIAL, so that a service can start when that clock appears.\n"
        "# Written by tarnwell-ctl udev-rule for the USB ids " +
        usbIdListText(ids) +
        ". Install:\n"
        "#   " +
        installCommand(group ? " --group " + std::string(*group) : "") +
        "\n"
        "# Sorting before 73-seat-late.rules matters: that is where uaccess is turned into "
        "access.\n";
    const std::string access =
        "TAG+=\"uaccess\"" +
        (group ? ", GROUP=\"" + std::string(*group) + "\", MODE=\"0660\"" : std::string());
    for (const UsbId& id : ids) {
        rule += matchOf(id) + ", " + access + "\n";
        rule += matchOf(id) + ", ATTRS{serial}==\"?*\", TAG+=\"systemd\", " +
                "SYMLINK+=\"tarnwell/$attr{serial}\"\n";
    }
    return rule;
}

RuleGrant ruleGrant(std::string_view ruleText) {
    // The quoted value after `key` on the line, if the key is there.
    const auto valueOf = [](const std::string& line,
                            std::string_view key) -> std::optional<std::string> {
        const auto start = line.find(key);
        if (start == std::string::npos)
            return std::nullopt;
        const auto from = start + key.size();
        const auto end = line.find('"', from);
        if (end == std::string::npos)
            return std::nullopt;
        return line.substr(from, end - from);
    };
    RuleGrant grant;
    std::istringstream lines{std::string(ruleText)};
    for (std::string line; std::getline(lines, line);) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        // The services' own group gives the clocks to no person.
        const std::optional<std::string> group = valueOf(line, "GROUP=\"");
        const bool viaGroup = group && *group != kServiceGroup;
        if (!viaGroup && line.find("uaccess") == std::string::npos)
            continue;
        const auto vendor = valueOf(line, "ATTRS{idVendor}==\"");
        const auto product = valueOf(line, "ATTRS{idProduct}==\"");
        if (!vendor || !product)
            continue;
        if (const auto id = parseUsbId(*vendor + ":" + *product)) {
            grant.ids.push_back(*id);
            grant.viaGroup = grant.viaGroup || viaGroup;
        }
    }
    return grant;
}

std::vector<std::string> udevRuleFolders() {
    return {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
}

PermissionFacts permissionFactsHere(const SettingsPlatform& platform) {
    PermissionFacts facts;
    const std::optional<std::string> seat = platform.environment("XDG_SEAT");
    facts.seat = seat && !seat->empty();
    for (const std::string& folder : udevRuleFolders()) {
        const std::string path = folder + "/" + std::string(kUdevRuleName);
        if (const FileRead rule = platform.readFile(path); rule.read()) {
            facts.rulePath = path;
            facts.grant = ruleGrant(rule.text);
            break;
        }
    }
    return facts;
}

PermissionCause permissionCause(const PermissionFacts& facts, const UsbId& clock) {
    if (!facts.rulePath)
        return PermissionCause::NoRule;
    if (std::ranges::find(facts.grant.ids, clock) == facts.grant.ids.end())
        return PermissionCause::RuleLacksIds;
    if (!facts.seat && !facts.grant.viaGroup)
        return PermissionCause::NoSeat;
    return PermissionCause::NotAppliedYet;
}

std::string permissionAdvice(const PermissionFacts& facts, const UsbId& clock) {
    switch (permissionCause(facts, clock)) {
        case PermissionCause::NoRule:
            return "No udev rule for Tarnwell is installed here (a build from source does not "
                   "install one). Install one for the USB ids in force:\n" +
                   installCommand("");
        case PermissionCause::RuleLacksIds:
            return "The installed udev rule " + *facts.rulePath +
                   " does not cover this clock's "
                   "USB ids " +
                   usbIdText(clock) + ". Write one for the ids in force:\n" + installCommand("");
        case PermissionCause::NoSeat:
            return "This session has no seat (a remote login), and the udev rule gives the clock "
                   "only to the user at the seat. Give it to the plugdev group, with you in it, "
                   "then log in again:\n" +
                   installCommand(" --group plugdev") + " && sudo usermod -aG plugdev \"$USER\"";
        case PermissionCause::NotAppliedYet:
            break;
    }
    return "The udev rule " + *facts.rulePath +
           " covers this clock but has not been applied to "
           "it yet: unplug and replug the clock, or run:\n" +
           std::string(kReapply);
}

}  // namespace tarnwell
