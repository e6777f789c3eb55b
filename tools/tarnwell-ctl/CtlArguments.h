#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "CtlCommandTable.h"
#include "CtlOptions.h"

namespace tarnwell::ctl {

// The command line read against the command table: the command, its arguments as text and the
// options' values.
struct CtlArguments {
    const CommandSpec* command = nullptr;
    std::vector<std::string> positional;
    CtlOptions options;
    OptionRefusal complaint;  // no message when the line is usable
};

CtlArguments parseCtlArguments(std::span<const std::string_view> args);

}  // namespace tarnwell::ctl
