#include "CtlArguments.h"

#include <algorithm>
#include <array>

namespace tarnwell::ctl {

namespace {

struct CommandSpec {
    std::string_view name;
    std::size_t arguments;
    std::string_view usage;
    bool takesSerial = true;
};

constexpr std::array<CommandSpec, 10> kCommands{{
    {"list", 0, "list", false},
    {"show", 0, "show"},
    {"status", 0, "status [--watch] [--timeout S]"},
    {"set", 1,
     "set HZ [--out2 HZ] [--phase DEG] [--nearest | --closest] [--dry-run] [--wait-lock S]"},
    {"program", 7,
     "program GPS N31 N2_HS N2_LS N1_HS NC1_LS NC2_LS [--phase INDEX] [--bw N] [--clamp]"},
    {"outputs", 0, "outputs [--out1 on|off] [--out2 on|off]"},
    {"identify", 1, "identify 1|2|off"},
    {"drive", 1, "drive 8mA|16mA|24mA|32mA"},
    {"sleep", 0, "sleep"},
    {"write-register", 2, "write-register REG VALUE"},
}};

struct OptionSpec {
    std::string_view name;
    bool takesValue;
    std::string_view commands;  // space-separated
};

constexpr std::array<OptionSpec, 11> kCommandOptions{{
    {"--watch", false, "status"},
    {"--timeout", true, "status"},
    {"--out1", true, "outputs"},
    {"--out2", true, "set outputs"},
    {"--phase", true, "set program"},
    {"--dry-run", false, "set"},
    {"--nearest", false, "set"},
    {"--closest", false, "set"},
    {"--wait-lock", true, "set program"},
    {"--bw", true, "program"},
    {"--clamp", false, "program"},
}};

bool listed(std::string_view words, std::string_view word) {
    std::size_t start = 0;
    while (start <= words.size()) {
        const std::size_t end = std::min(words.find(' ', start), words.size());
        if (words.substr(start, end - start) == word)
            return true;
        start = end + 1;
    }
    return false;
}

const CommandSpec* findCommand(std::string_view name) {
    const auto* found = std::find_if(kCommands.begin(), kCommands.end(),
                                     [name](const CommandSpec& c) { return c.name == name; });
    return found == kCommands.end() ? nullptr : found;
}

const OptionSpec* findOption(std::string_view name) {
    const auto* found = std::find_if(kCommandOptions.begin(), kCommandOptions.end(),
                                     [name](const OptionSpec& o) { return o.name == name; });
    return found == kCommandOptions.end() ? nullptr : found;
}

struct Given {
    std::string_view name;
    std::optional<std::string_view> value;
};

}  // namespace

bool CtlArguments::has(std::string_view flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<std::string_view> CtlArguments::value(std::string_view option) const {
    const auto found = values.find(option);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

CtlArguments parseCtlArguments(std::span<const std::string_view> args) {
    CtlArguments parsed;
    std::vector<Given> options;
    const auto complain = [&parsed](std::string text) {
        if (parsed.complaint.empty())
            parsed.complaint = std::move(text);
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        // No argument of any command starts with '-': every such word is an option.
        if (arg.size() < 2 || arg[0] != '-') {
            if (parsed.command.empty())
                parsed.command = arg;
            else
                parsed.positional.push_back(arg);
            continue;
        }
        std::string_view name = arg;
        std::optional<std::string_view> inlineValue;
        if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != arg.npos) {
            name = arg.substr(0, equals);
            inlineValue = arg.substr(equals + 1);
        }
        if (name == "--help" || name == "-h") {
            parsed.help = true;
        } else if (name == "--version") {
            parsed.version = true;
        } else if (name == "--json") {
            parsed.json = true;
        } else if (name == "-s" || name == "--serial" ||
                   (findOption(name) && findOption(name)->takesValue)) {
            if (!inlineValue && i + 1 >= args.size()) {
                complain(std::string(name) + " needs a value");
                continue;
            }
            const std::string_view value = inlineValue ? *inlineValue : args[++i];
            if (name == "-s" || name == "--serial")
                parsed.serial = value;
            else
                options.push_back({name, value});
        } else if (findOption(name)) {
            if (inlineValue)
                complain(std::string(name) + " takes no value");
            options.push_back({name, std::nullopt});
        } else {
            complain("unknown option " + std::string(arg));
        }
    }
    if (parsed.help || parsed.version)
        return parsed;
    if (!parsed.complaint.empty())
        return parsed;

    if (parsed.command.empty()) {
        complain("no command given");
        return parsed;
    }
    const CommandSpec* command = findCommand(parsed.command);
    if (!command) {
        complain("unknown command " + std::string(parsed.command));
        return parsed;
    }
    const std::string usage = "usage: tarnwell-ctl " + std::string(command->usage);
    if (parsed.positional.size() != command->arguments) {
        complain(std::string(parsed.command) + " takes " + std::to_string(command->arguments) +
                 (command->arguments == 1 ? " argument; " : " arguments; ") + usage);
        return parsed;
    }
    if (parsed.serial && !command->takesSerial) {
        complain(std::string(parsed.command) + " takes no -s; " + usage);
        return parsed;
    }
    for (const Given& given : options) {
        const OptionSpec* option = findOption(given.name);
        if (!listed(option->commands, parsed.command)) {
            complain(std::string(parsed.command) + " takes no " + std::string(given.name) + "; " +
                     usage);
            return parsed;
        }
        if (given.value)
            parsed.values[given.name] = *given.value;
        else
            parsed.flags.push_back(given.name);
    }
    return parsed;
}

}  // namespace tarnwell::ctl
