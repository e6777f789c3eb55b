#include "CtlCommandTable.h"

#include <algorithm>

#include "CtlRun.h"
#include "CtlText.h"

namespace tarnwell::ctl {

namespace {

const OptionSpec kWaitLock{"--wait-lock", "S",
                           "after programming, wait up to S seconds for PLL lock and a GPS signal",
                           OptionValue::Seconds};

std::vector<CommandSpec> makeCommands() {
    const std::string drives =
        joined(std::vector<std::string>(kDriveTexts.begin(), kDriveTexts.end()), "|");
    return {
        {"list",
         "",
         "every attached clock: serial number, manufacturer, product, firmware\n"
         "version, device path, and whether this user may open it (with the reason\n"
         "and the fix when not)",
         {},
         R"({"clocks": [{"serial", "manufacturer", "product", "firmware", "path",
"can_open", "open_failure", "fix"}]}; a string that cannot be read is null)",
         false,
         &Run::list},
        {"show",
         "",
         "the clock's configuration as the window shows it: output enables, drive\n"
         "strength, GPS reference, the six dividers, phase shift, BW, output 1\n"
         "frequency, F3, Fosc and output 2 frequency",
         {},
         R"({"serial", "manufacturer", "product", "firmware", "out1_enabled",
"out2_enabled", "drive_strength", "GPS", "N31", "N2_HS", "N2_LS", "N1_HS",
"NC1_LS", "NC2_LS", "phase_degrees", "phase_index", "BW", "out1_hz", "f3_hz",
"fosc_hz", "out2_hz"})",
         true,
         &Run::show},
        {"status",
         "",
         "GPS signal, PLL lock and signal-loss count from the next status report",
         {{"--watch", "",
           "print a line with a UTC timestamp for every change of the status until\n"
           "interrupted (Ctrl-C); with --json, one JSON object per line (JSON Lines)",
           OptionValue::None}},
         R"({"serial", "signal_losses", "gps_signal" (true: the clock has a GPS
signal), "pll_locked" (true: the PLL is locked)}; --watch --json: one object
per line and change, {"time", "serial", "signal_losses", "gps_signal",
"pll_locked"}, each line written out as the change happens)",
         true,
         &Run::status},
        {"set",
         "HZ",
         "find the setting for output 1 = HZ (as Find does), program it (command 4,\n"
         "twice, as Update does) and read it back",
         {{"--out2", "HZ",
           "output 2 frequency, one of the choices the window offers for output 1\n"
           "(output 1 x NC1_LS / NC2_LS for every even NC2_LS); default: equal to\n"
           "output 1. A value that is not a choice is refused with the nearest ones"},
          {"--phase", "DEG",
           "phase shift of output 2 in degrees, one of the window's phase choices\n"
           "(steps of 360 / NC1_LS); only when output 2 equals output 1. Default 0"},
          {"--nearest", "",
           "when HZ has no exact setting, program the nearest whole frequency\n"
           "(within 1% of HZ) that has one instead; the nearer side, the lower on a tie",
           OptionValue::None},
          {"--closest", "",
           "when HZ has no exact setting, program the setting whose output 1 comes\n"
           "closest to HZ instead (its frequency is then not HZ exactly)",
           OptionValue::None},
          {"--dry-run", "", "print the setting and send nothing", OptionValue::None},
          kWaitLock},
         R"({"serial", "dry_run", "exact" (false: out1_hz is not HZ), "GPS", "N31",
"N2_HS", "N2_LS", "N1_HS", "NC1_LS", "NC2_LS", "phase_degrees", "phase_index",
"BW", "out1_hz", "out2_hz", "f3_hz", "fosc_hz", "read_back", "signal_losses",
"gps_signal", "pll_locked" (the last three with --wait-lock)})",
         true,
         &Run::set},
        {"program",
         "GPS N31 N2_HS N2_LS N1_HS NC1_LS NC2_LS",
         "program exactly these values, then read them back; a value outside its\n"
         "divider's limits is refused (see --clamp). Limits: GPS 1..10000000,\n"
         "N31 1..524288, N2_HS and N1_HS 4..11, N2_LS, NC1_LS and NC2_LS even,\n"
         "2..1048576",
         {{"--phase", "INDEX", "phase step index, 0 up to min(NC1_LS, 256) - 1; default 0"},
          {"--bw", "N",
           "BW code 0..255; default: the window's rule for the serial (6 when its\n"
           "second character is 1, 3 or 5, otherwise 15)"},
          {"--clamp", "",
           "pull out-of-range values into range with the window's clamp rule and\n"
           "print every value changed, instead of refusing them",
           OptionValue::None},
          {kWaitLock.names, kWaitLock.valueName, "as for set", OptionValue::Seconds}},
         R"(as set, without "dry_run" and "exact", with "clamped": [{"register",
"from", "to"}])",
         true,
         &Run::program},
        {"outputs",
         "",
         "enable or disable the outputs (--out1, --out2), then read them back",
         {{"--out1", "on|off", "output 1 enabled or not; default: as the clock has it now"},
          {"--out2", "on|off", "output 2 enabled or not; default: as the clock has it now"}},
         R"({"serial", "out1_enabled", "out2_enabled"})",
         true,
         &Run::outputs},
        {"identify",
         "1|2|off",
         "make the clock identify output 1 or 2, or stop identifying",
         {},
         R"({"serial", "identify": "output 1" | "output 2" | "off"})",
         true,
         &Run::identify},
        {"drive",
         drives,
         "set the output drive strength (8, 16, 24 or 32), then read it back",
         {},
         R"({"serial", "drive_strength"})",
         true,
         &Run::drive},
        {"sleep",
         "",
         "send the clock's sleep command",
         {},
         R"({"serial", "sleep": true})",
         true,
         &Run::sleep},
        {"write-register",
         "REG VALUE",
         "write VALUE into the clock's register REG, both numbers from 0 to 255\n"
         "as the window reads them: a dot for decimals, rounded half to even\n"
         "(\"25.0\" is 25, \"12.5\" is 12)",
         {},
         R"({"serial", "register", "value"})",
         true,
         &Run::writeRegister},
    };
}

}  // namespace

std::size_t CommandSpec::argumentCount() const {
    if (arguments.empty())
        return 0;
    return static_cast<std::size_t>(std::count(arguments.begin(), arguments.end(), ' ')) + 1;
}

std::string CommandSpec::usage() const {
    std::string text = name;
    if (!arguments.empty()) {
        text += ' ';
        text += arguments;
    }
    for (const OptionSpec& o : options) {
        text += " [";
        text += o.names;
        if (!o.valueName.empty()) {
            text += ' ';
            text += o.valueName;
        }
        text += ']';
    }
    return text;
}

const OptionSpec* CommandSpec::option(std::string_view optionName) const {
    const auto found =
        std::find_if(options.begin(), options.end(),
                     [optionName](const OptionSpec& o) { return o.names == optionName; });
    return found == options.end() ? nullptr : &*found;
}

const std::vector<CommandSpec>& ctlCommands() {
    static const std::vector<CommandSpec> commands = makeCommands();
    return commands;
}

const std::vector<OptionSpec>& ctlGeneralOptions() {
    static const std::vector<OptionSpec> options = {
        {"-s,--serial", "SERIAL",
         "the clock to use; may be left out when exactly one clock is attached.\n"
         "Of several clocks with one serial number the first listed is used, as in\n"
         "the window, and a note says so"},
        {"--timeout", "S",
         "give up after S seconds in all, with exit status 6. Without it each request\n"
         "to the clock may take 1 s, and status waits 2 s for a report",
         OptionValue::Seconds},
        {"--json", "",
         "print one JSON object on standard output instead of text (see JSON below;\n"
         "errors too: {\"error\": TEXT, \"exit_status\": N})",
         OptionValue::None},
        {"-h,--help", "", "show this text and exit", OptionValue::None},
        {"--version", "", "show the version and exit", OptionValue::None},
    };
    return options;
}

const CommandSpec* findCtlCommand(std::string_view name) {
    const std::vector<CommandSpec>& commands = ctlCommands();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [name](const CommandSpec& c) { return c.name == name; });
    return found == commands.end() ? nullptr : &*found;
}

}  // namespace tarnwell::ctl
