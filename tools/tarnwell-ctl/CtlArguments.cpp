#include "CtlArguments.h"

#include <CLI/CLI.hpp>
#include <cmath>

#include "ArgumentNumbers.h"
#include "TerminalText.h"
#include "host/UsbIdOption.h"
#include "hostio/SafeText.h"

namespace tarnwell::ctl {

namespace {

// Reads an option's text into its value; `refuse` says why a text is not taken, nothing when it is.
template <typename Value>
OptionBinding checked(std::optional<Value> CtlOptions::*target,
                      std::function<std::optional<std::string>(const std::string&)> refuse,
                      std::function<Value(const std::string&)> read, bool pointsToHelp) {
    return [=](CLI::App& app, const std::string& names, CtlOptions& values,
               OptionRefusal& refusal) {
        const auto check = [=, &refusal](std::string& given) {
            const std::optional<std::string> why = refuse(given);
            if (!why)
                return std::string();
            if (refusal.message.empty())
                refusal = {names + " " + *why, pointsToHelp};
            return *why;
        };
        app.add_option_function<std::string>(
               names,
               [&values, target, read](const std::string& given) { values.*target = read(given); })
            ->check(CLI::Validator(check, ""));
    };
}

std::optional<std::string> unless(bool taken, std::string why) {
    return taken ? std::nullopt : std::optional(std::move(why));
}

// A value the check before it found to be a number, with the words it was given in.
GivenNumber givenNumber(const std::string& given) {
    return GivenNumber{*number(given), given};
}

}  // namespace

namespace option {

OptionBinding flag(bool CtlOptions::*target) {
    return [target](CLI::App& app, const std::string& names, CtlOptions& values, OptionRefusal&) {
        app.add_flag_callback(names, [&values, target] { values.*target = true; })
            ->disable_flag_override();
    };
}

OptionBinding generalFlag(bool CtlOptions::*target) {
    return [target](CLI::App& app, const std::string& names, CtlOptions& values, OptionRefusal&) {
        app.add_flag(names, values.*target);
    };
}

OptionBinding text(std::optional<std::string> CtlOptions::*target) {
    return checked<std::string>(
        target, [](const std::string&) -> std::optional<std::string> { return std::nullopt; },
        [](const std::string& given) { return given; }, true);
}

OptionBinding portableName(std::optional<std::string> CtlOptions::*target) {
    return checked<std::string>(
        target,
        [](const std::string& given) {
            return unless(isPortableName(given),
                          "needs a name of letters, digits, '.', '_' and '-' (not starting with "
                          "'-'), not " +
                              ctl::quoted(given));
        },
        [](const std::string& given) { return given; }, true);
}

OptionBinding seconds(std::optional<std::chrono::milliseconds> CtlOptions::*target) {
    return checked<std::chrono::milliseconds>(
        target,
        [](const std::string& given) {
            return unless(ctl::seconds(given).has_value(),
                          "needs seconds, not " + ctl::quoted(given));
        },
        [](const std::string& given) { return *ctl::seconds(given); }, true);
}

OptionBinding frequency(std::optional<GivenNumber> CtlOptions::*target) {
    return checked<GivenNumber>(
        target,
        [](const std::string& given) {
            const std::optional<double> hz = number(given);
            return unless(hz && *hz > 0, "needs a frequency in Hz, not " + ctl::quoted(given));
        },
        givenNumber, false);
}

OptionBinding degrees(std::optional<GivenNumber> CtlOptions::*target) {
    return checked<GivenNumber>(
        target,
        [](const std::string& given) {
            return unless(number(given).has_value(), "needs degrees, not " + ctl::quoted(given));
        },
        givenNumber, false);
}

OptionBinding byteCode(std::optional<int> CtlOptions::*target) {
    return checked<int>(
        target,
        [](const std::string& given) {
            const std::optional<double> code = number(given);
            return unless(code && *code == std::floor(*code) && *code >= 0 && *code <= 255,
                          "needs a whole number from 0 to 255, not " + ctl::quoted(given));
        },
        [](const std::string& given) { return static_cast<int>(*number(given)); }, false);
}

OptionBinding onOff(std::optional<bool> CtlOptions::*target) {
    return checked<bool>(
        target,
        [](const std::string& given) {
            return unless(given == "on" || given == "off",
                          "needs on or off, not " + ctl::quoted(given));
        },
        [](const std::string& given) { return given == "on"; }, false);
}

OptionBinding usbIds(UsbIdList CtlOptions::*target) {
    return [target](CLI::App& app, const std::string& names, CtlOptions& parsed,
                    OptionRefusal& refusal) {
        app.add_option_function<std::vector<std::string>>(
               names,
               [&parsed, &refusal, target](const std::vector<std::string>& texts) {
                   UsbIdOptionValues values = readUsbIdOption(texts);
                   std::ranges::move(values.ids, std::back_inserter(parsed.*target));
                   if (refusal.message.empty())
                       refusal.message = std::move(values.complaint);
               })
            ->allow_extra_args(false);
    };
}

}  // namespace option

CtlArguments parseCtlArguments(std::span<const std::string_view> args) {
    CtlArguments parsed;
    CLI::App app("", "tarnwell-ctl");
    app.set_help_flag();  // the help text is made from the command table
    app.require_subcommand(0, 1);
    for (const OptionSpec& option : ctlGeneralOptions())
        option.bind(app, option.names, parsed.options, parsed.complaint);
    for (const CommandSpec& command : ctlCommands()) {
        CLI::App* sub = app.add_subcommand(command.name);
        sub->set_help_flag();
        // The general options may follow the command.
        sub->fallthrough();
        sub->add_option("arguments", parsed.positional);
        for (const OptionSpec& option : command.options)
            option.bind(*sub, option.names, parsed.options, parsed.complaint);
        sub->callback([&parsed, &command] { parsed.command = &command; });
    }

    // CLI11 takes the words last to first.
    std::vector<std::string> words(args.rbegin(), args.rend());
    try {
        app.parse(words);
    } catch (const CLI::ValidationError& error) {
        if (parsed.complaint.message.empty())
            parsed.complaint = {error.what(), true};
        return parsed;
    } catch (const CLI::ParseError& error) {
        parsed.complaint = {error.what(), true};
        return parsed;
    }
    if (parsed.options.help || parsed.options.version || !parsed.complaint.message.empty())
        return parsed;
    if (!parsed.command) {
        parsed.complaint.message = "no command given";
        return parsed;
    }
    const CommandSpec& command = *parsed.command;
    const std::string usage = "usage: tarnwell-ctl " + command.usage();
    const std::size_t count = command.argumentCount();
    if (parsed.positional.size() != count) {
        parsed.complaint.message = command.name + " takes " + std::to_string(count) +
                                   (count == 1 ? " argument; " : " arguments; ") + usage;
    } else if (parsed.options.serial && !command.takesSerial) {
        parsed.complaint.message = command.name + " takes no -s; " + usage;
    }
    return parsed;
}

}  // namespace tarnwell::ctl
