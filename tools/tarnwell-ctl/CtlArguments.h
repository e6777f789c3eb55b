#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "CtlCommandTable.h"

namespace tarnwell::ctl {

// The command line split up and checked against the command table: the command, its arguments
// as text, its options' values (durations already read) and flags.
struct CtlArguments {
    bool help = false;
    bool version = false;
    bool json = false;
    const CommandSpec* command = nullptr;
    std::vector<std::string> positional;
    std::optional<std::string> serial;
    std::map<std::string, std::string, std::less<>> values;  // option -> value, e.g. "--out2"
    std::map<std::string, std::chrono::milliseconds, std::less<>> durations;  // "--wait-lock"
    std::vector<std::string> flags;                                           // "--dry-run"
    std::string complaint;  // empty when the line is usable

    bool has(std::string_view flag) const;
    std::optional<std::string_view> value(std::string_view option) const;
    std::optional<std::chrono::milliseconds> duration(std::string_view option) const;
};

CtlArguments parseCtlArguments(std::span<const std::string_view> args);

}  // namespace tarnwell::ctl
