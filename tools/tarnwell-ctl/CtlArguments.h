#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwell::ctl {

// The command line split up and checked against what each command takes; values are still text.
struct CtlArguments {
    bool help = false;
    bool version = false;
    bool json = false;
    std::string_view command;
    std::vector<std::string_view> positional;
    std::optional<std::string_view> serial;
    std::map<std::string_view, std::string_view> values;  // option -> value, e.g. "--out2"
    std::vector<std::string_view> flags;                  // e.g. "--dry-run"
    std::string complaint;                                // empty when the line is usable

    bool has(std::string_view flag) const;
    std::optional<std::string_view> value(std::string_view option) const;
};

CtlArguments parseCtlArguments(std::span<const std::string_view> args);

}  // namespace tarnwell::ctl
