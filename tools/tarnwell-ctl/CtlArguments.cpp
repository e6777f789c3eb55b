#include "CtlArguments.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "CtlText.h"
#include "host/UsbIdOption.h"
#include "hostio/SafeText.h"

namespace tarnwell::ctl {

namespace {

// Registers an option of the table with the parser; its value lands in `parsed` as text.
void addOption(CLI::App& app, const OptionSpec& option, CtlArguments& parsed) {
    if (option.value == OptionValue::None) {
        app.add_flag_callback(option.names,
                              [&parsed, name = option.names] { parsed.flags.push_back(name); })
            ->disable_flag_override();
        return;
    }
    app.add_option_function<std::string>(
        option.names,
        [&parsed, name = option.names](const std::string& text) { parsed.values[name] = text; });
}

// The table's options that take seconds, read once for every command that has them, and its
// names checked.
std::string readDurations(CtlArguments& parsed) {
    std::vector<OptionSpec> options = parsed.command->options;
    options.insert(options.end(), ctlGeneralOptions().begin(), ctlGeneralOptions().end());
    for (const OptionSpec& option : options) {
        const auto text = parsed.value(option.names);
        if (option.value == OptionValue::Name && text && !isPortableName(*text)) {
            return option.names + " needs a name of letters, digits, '.', '_' and '-' (not " +
                   "starting with '-'), not " + ctl::quoted(*text);
        }
        if (option.value != OptionValue::Seconds || !text)
            continue;
        const std::optional<std::chrono::milliseconds> limit = seconds(*text);
        if (!limit)
            return option.names + " needs seconds, not " + ctl::quoted(*text);
        parsed.durations[option.names] = *limit;
    }
    return {};
}

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

std::optional<std::chrono::milliseconds> CtlArguments::duration(std::string_view option) const {
    const auto found = durations.find(option);
    if (found == durations.end())
        return std::nullopt;
    return found->second;
}

CtlArguments parseCtlArguments(std::span<const std::string_view> args) {
    CtlArguments parsed;
    CLI::App app("", "tarnwell-ctl");
    app.set_help_flag();  // the help text is made from the command table
    app.require_subcommand(0, 1);
    app.add_flag("-h,--help", parsed.help);
    app.add_flag("--version", parsed.version);
    app.add_flag("--json", parsed.json);
    app.add_option_function<std::string>("-s,--serial",
                                         [&parsed](const std::string& s) { parsed.serial = s; });
    std::vector<std::string> usbIdTexts;
    app.add_option("--usb-id", usbIdTexts)->allow_extra_args(false);
    app.add_option_function<std::string>(
        "--timeout", [&parsed](const std::string& s) { parsed.values["--timeout"] = s; });
    for (const CommandSpec& command : ctlCommands()) {
        CLI::App* sub = app.add_subcommand(command.name);
        sub->set_help_flag();
        // The general options may follow the command.
        sub->fallthrough();
        sub->add_option("arguments", parsed.positional);
        for (const OptionSpec& option : command.options)
            addOption(*sub, option, parsed);
        sub->callback([&parsed, &command] { parsed.command = &command; });
    }

    // CLI11 takes the words last to first.
    std::vector<std::string> words(args.rbegin(), args.rend());
    try {
        app.parse(words);
    } catch (const CLI::ParseError& error) {
        parsed.complaint = error.what();
        return parsed;
    }
    if (parsed.help || parsed.version)
        return parsed;
    const UsbIdOptionValues usbIds = readUsbIdOption(usbIdTexts);
    parsed.usbIds = usbIds.ids;
    if (!usbIds.complaint.empty()) {
        parsed.complaint = usbIds.complaint;
        return parsed;
    }
    if (!parsed.command) {
        parsed.complaint = "no command given";
        return parsed;
    }
    const CommandSpec& command = *parsed.command;
    const std::string usage = "usage: tarnwell-ctl " + command.usage();
    const std::size_t count = command.argumentCount();
    if (parsed.positional.size() != count) {
        parsed.complaint = command.name + " takes " + std::to_string(count) +
                           (count == 1 ? " argument; " : " arguments; ") + usage;
    } else if (parsed.serial && !command.takesSerial) {
        parsed.complaint = command.name + " takes no -s; " + usage;
    } else {
        parsed.complaint = readDurations(parsed);
    }
    return parsed;
}

}  // namespace tarnwell::ctl
