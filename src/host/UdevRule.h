#pragma once

// Linux access to the clocks: the udev rule for the USB ids in force, and, when a clock cannot be
// opened, which of the usual causes holds here and the command that fixes it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/UsbIds.h"
#include "host/UsbIdSettings.h"

namespace tarnwell {

inline constexpr std::string_view kUdevRuleName = "70-tarnwell.rules";
// The system group of the services (packaging/sysusers.conf), to which the packaged rule gives the
// clocks besides the person at the seat.
inline constexpr std::string_view kServiceGroup = "tarnwell";

// The rule giving the user at the seat (and, with a group, that group) the clocks with these ids,
// and naming each /dev/tarnwell/SERIAL so that a service can start when that clock appears. The
// group must be a portable name (hostio/SafeText.h): it is placed into the rule as it is.
std::string udevRule(const UsbIdList& ids, std::optional<std::string_view> group = {});

// What an installed rule grants: the ids on its active lines, and whether it grants a group.
struct RuleGrant {
    UsbIdList ids;
    bool viaGroup = false;
};
RuleGrant ruleGrant(std::string_view ruleText);

// The folders udev reads rules from, in the order a file of one name overrides another.
std::vector<std::string> udevRuleFolders();

struct PermissionFacts {
    std::optional<std::string> rulePath;  // the rule file udev uses, if any
    RuleGrant grant;
    bool seat = false;  // the session sits at a seat (a remote login does not)
};
PermissionFacts permissionFactsHere(const SettingsPlatform& platform);

enum class PermissionCause { NoRule, RuleLacksIds, NoSeat, NotAppliedYet };
PermissionCause permissionCause(const PermissionFacts& facts, const UsbId& clock);

// What to tell the person: the cause and the one command (or action) that fixes it.
std::string permissionAdvice(const PermissionFacts& facts, const UsbId& clock);

}  // namespace tarnwell
