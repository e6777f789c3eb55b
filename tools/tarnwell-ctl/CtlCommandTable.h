#pragma once

// The commands of tarnwell-ctl, each written down once: its name, arguments, options, help and
// JSON fields. The parser, the dispatch and --help all read this table.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "CtlOptions.h"

namespace tarnwell::ctl {

struct CommandContext;

struct OptionSpec {
    std::string names;      // as the parser takes them: "--out2", or "-s,--serial"
    std::string valueName;  // "HZ"; empty for a flag
    std::string help;       // lines wrapped for the help text, "\n" between them
    OptionBinding bind;
};

struct CommandSpec {
    std::string name;
    std::string arguments;  // the positional arguments' names, blank-separated: "REG VALUE"
    std::string help;
    std::vector<OptionSpec> options;
    std::string jsonFields;
    bool takesSerial = true;
    int (*execute)(CommandContext&) = nullptr;

    std::size_t argumentCount() const;
    // "set HZ [--out2 HZ] [--dry-run] ..."
    std::string usage() const;
};

const std::vector<CommandSpec>& ctlCommands();
// The options every command takes.
const std::vector<OptionSpec>& ctlGeneralOptions();
const CommandSpec* findCtlCommand(std::string_view name);

}  // namespace tarnwell::ctl
