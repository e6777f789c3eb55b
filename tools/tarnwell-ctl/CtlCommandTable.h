#pragma once

// The commands of tarnwell-ctl, each written down once: its name, arguments, options, help and
// JSON fields. The parser, the dispatch and --help all read this table.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwell::ctl {

class Run;

// How an option's value is read; every value is checked once, when the line is parsed.
// Name: a user or group name (the POSIX portable set), as it is placed into a file as it is.
enum class OptionValue { None, Text, Seconds, Name };

struct OptionSpec {
    std::string names;      // as the parser takes them: "--out2", or "-s,--serial"
    std::string valueName;  // "HZ"; empty for a flag
    std::string help;       // lines wrapped for the help text, "\n" between them
    OptionValue value = OptionValue::Text;
};

struct CommandSpec {
    std::string name;
    std::string arguments;  // the positional arguments' names, blank-separated: "REG VALUE"
    std::string help;
    std::vector<OptionSpec> options;
    std::string jsonFields;
    bool takesSerial = true;
    int (Run::*execute)() = nullptr;

    std::size_t argumentCount() const;
    // "set HZ [--out2 HZ] [--dry-run] ..."
    std::string usage() const;
    const OptionSpec* option(std::string_view name) const;
};

const std::vector<CommandSpec>& ctlCommands();
// The options every command takes.
const std::vector<OptionSpec>& ctlGeneralOptions();
const CommandSpec* findCtlCommand(std::string_view name);

}  // namespace tarnwell::ctl
