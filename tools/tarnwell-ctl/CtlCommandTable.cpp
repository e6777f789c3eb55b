#include "CtlCommandTable.h"

#include <algorithm>

#include "ArgumentNumbers.h"
#include "ClockSession.h"
#include "ClockStrings.h"
#include "Commands.h"
#include "PrometheusMetrics.h"
#include "TerminalText.h"
#include "host/UsbIdOption.h"
#include "host/UsbIdSettings.h"
#include "planning/ClockLimits.h"
#include "planning/NearestExact.h"
#include "planning/PhaseList.h"

namespace tarnwell::ctl {

namespace {

const OptionSpec kWaitLock{"--wait-lock", "S",
                           "after programming, wait up to S seconds for PLL lock and a GPS signal",
                           option::seconds(&CtlOptions::waitLock)};

std::string range(std::int64_t lowest, std::int64_t highest) {
    return std::to_string(lowest) + ".." + std::to_string(highest);
}

// "8mA|16mA|24mA|32mA", or with the units dropped "8, 16, 24 or 32".
std::string driveChoices(bool plain) {
    std::string text;
    for (std::size_t i = 0; i < kDriveTexts.size(); ++i) {
        std::string_view choice = kDriveTexts[i];
        if (plain) {
            choice.remove_suffix(2);
            text += i == 0 ? "" : (i + 1 == kDriveTexts.size() ? " or " : ", ");
        } else if (i > 0) {
            text += '|';
        }
        text += choice;
    }
    return text;
}

std::vector<CommandSpec> makeCommands() {
    const std::string nearestReach =
        std::to_string(static_cast<int>(kNearestExactReach * 100)) + "%";
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
         &listCommand},
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
         &showCommand},
        {"status",
         "",
         "GPS signal, PLL lock and signal-loss count from the next status report",
         {{"--watch", "",
           "print a line with a UTC timestamp for every change of the status until\n"
           "interrupted (Ctrl-C); with --json, one JSON object per line (JSON Lines)",
           option::flag(&CtlOptions::watch)},
          {"--prometheus", "",
           "every attached clock (or the one of -s) in Prometheus' text format:\n"
           "tarnwell_clock_up, tarnwell_gps_signal, tarnwell_pll_locked,\n"
           "tarnwell_gps_signal_losses and tarnwell_clock_info (firmware, out1_hz,\n"
           "reference_hz), all with a serial label; a clock that cannot be opened or\n"
           "read gets tarnwell_clock_up 0 and tarnwell_clock_failure_info with the reason\n"
           "(\"the clock did not answer ...\" for one that stopped answering). Exits 0\n"
           "even then, as exporters do: the failure is in the metrics, so a scrape or a\n"
           "timer tells a failed clock from a failed program. --timeout bounds the whole\n"
           "look",
           option::flag(&CtlOptions::prometheus)},
          {"--textfile", "PATH",
           "write the --prometheus text into PATH for node_exporter's textfile\n"
           "collector, replacing it whole (a temporary file renamed), with\n"
           "tarnwell_textfile_written_timestamp_seconds; with --watch, again on every\n"
           "change and at least every " +
               secondsText(kTextfileRefresh) +
               " until interrupted, the clocks kept open\n"
               "and looked at every " +
               secondsText(kMetricsPoll) +
               " (--timeout bounding each look), so that\n"
               "a clock that stops answering shows as failed within about " +
               secondsText(kClockAnswerTimeout + kMetricsPoll),
           option::text(&CtlOptions::textfile)}},
         R"({"serial", "signal_losses", "gps_signal" (true: the clock has a GPS
signal), "pll_locked" (true: the PLL is locked)}; --watch --json: one object
per line and change, {"time", "serial", "signal_losses", "gps_signal",
"pll_locked"}, each line written out as the change happens)",
         true,
         &statusCommand},
        {"set",
         "HZ",
         "find the setting for output 1 = HZ (as Find does), program it (command 4,\n"
         "twice, as Update does) and read it back",
         {{"--out2", "HZ",
           "output 2 frequency; default: equal to output 1. One of the choices the\n"
           "window offers for output 1 (output 1 x NC1_LS / NC2_LS for every even\n"
           "NC2_LS up to NC1_LS) is used as the window would; any other runs the search\n"
           "for both outputs at once (tarnwell-plan HZ --out2 HZ2), and when no setting\n"
           "makes both exactly, says so with the nearest output-2 frequencies (exit 5)",
           option::frequency(&CtlOptions::out2Hz)},
          {"--phase", "DEG",
           "phase shift of output 2 in degrees, one of the window's phase choices\n"
           "(steps of 360 / NC1_LS); only when output 2 equals output 1. Default 0",
           option::degrees(&CtlOptions::phaseDegrees)},
          {"--nearest", "",
           "when HZ has no exact setting, program the nearest whole frequency\n"
           "(within " +
               nearestReach +
               " of HZ) that has one instead; the nearer side, the lower\n"
               "on a tie",
           option::flag(&CtlOptions::nearest)},
          {"--closest", "",
           "when HZ has no exact setting, program the setting whose output 1 comes\n"
           "closest to HZ instead (its frequency is then not HZ exactly)",
           option::flag(&CtlOptions::closest)},
          {"--dry-run", "", "print the setting and send nothing",
           option::flag(&CtlOptions::dryRun)},
          kWaitLock},
         R"({"serial", "dry_run", "exact" (false: out1_hz is not HZ), "GPS", "N31",
"N2_HS", "N2_LS", "N1_HS", "NC1_LS", "NC2_LS", "phase_degrees", "phase_index",
"BW", "out1_hz", "out2_hz", "f3_hz", "fosc_hz", "read_back", "signal_losses",
"gps_signal", "pll_locked" (the last three with --wait-lock)})",
         true,
         &setCommand},
        {"program",
         "GPS N31 N2_HS N2_LS N1_HS NC1_LS NC2_LS",
         "program exactly these values, then read them back; a value outside its\n"
         "divider's limits is refused (see --clamp). Limits: GPS " +
             range(kGpsMin, kGpsMax) + ",\nN31 " + range(kN31Min, kN31Max) + ", N2_HS " +
             range(kN2HsMin, kN2HsMax) + ", N1_HS " + range(kN1HsMin, kN1HsMax) +
             ",\nN2_LS even, " + range(kLowSpeedDividerMin, kN2LsMax) +
             ", NC1_LS and NC2_LS even, " + range(kLowSpeedDividerMin, kNcMax),
         {{"--phase", "INDEX",
           "phase step index, 0 up to min(NC1_LS, " + std::to_string(kMaxPhaseEntries) +
               ") - 1; default 0",
           option::text(&CtlOptions::phaseStep)},
          {"--bw", "N",
           "BW code 0..255; default: the window's rule for the serial (6 when its\n"
           "second character is 1, 3 or 5, otherwise 15)",
           option::byteCode(&CtlOptions::bw)},
          {"--clamp", "",
           "pull out-of-range values into range with the window's clamp rule and\n"
           "print every value changed, instead of refusing them",
           option::flag(&CtlOptions::clamp)},
          {kWaitLock.names, kWaitLock.valueName, "as for set", kWaitLock.bind}},
         R"(as set, without "dry_run" and "exact", with "clamped": [{"register",
"from", "to"}])",
         true,
         &programCommand},
        {"outputs",
         "",
         "enable or disable the outputs (--out1, --out2), then read them back",
         {{"--out1", "on|off", "output 1 enabled or not; default: as the clock has it now",
           option::onOff(&CtlOptions::out1Enabled)},
          {"--out2", "on|off", "output 2 enabled or not; default: as the clock has it now",
           option::onOff(&CtlOptions::out2Enabled)}},
         R"({"serial", "out1_enabled", "out2_enabled"})",
         true,
         &outputsCommand},
        {"identify",
         "1|2|off",
         "make the clock identify output 1 or 2, or stop identifying",
         {},
         R"({"serial", "identify": "output 1" | "output 2" | "off"})",
         true,
         &identifyCommand},
        {"drive",
         driveChoices(false),
         "set the output drive strength (" + driveChoices(true) + "), then read it back",
         {},
         R"({"serial", "drive_strength"})",
         true,
         &driveCommand},
        {"sleep",
         "",
         "send the clock's sleep command",
         {},
         R"({"serial", "sleep": true})",
         true,
         &sleepCommand},
        {"write-register",
         "REG VALUE",
         "write VALUE into the clock's register REG, both numbers from 0 to 255\n"
         "as the window reads them: a dot for decimals, rounded half to even\n"
         "(\"25.0\" is 25, \"12.5\" is 12)",
         {},
         R"({"serial", "register", "value"})",
         true,
         &writeRegisterCommand},
        {"apply",
         "FILE",
         "program a configuration saved by show --json (the PLL setting with phase\n"
         "step and BW, the output enables, the drive strength), read it back and\n"
         "compare every field (exit 7 on a difference). A file that is not such a\n"
         "document, a field out of range or unknown to this version, or a file\n"
         "saved from another clock is refused naming the field (exit 2), and\n"
         "nothing is sent",
         {{"--dry-run", "", "print what would be sent and send nothing",
           option::flag(&CtlOptions::dryRun)},
          {"--any-serial", "", "accept a file saved from a clock with another serial",
           option::flag(&CtlOptions::anySerial)},
          {kWaitLock.names, kWaitLock.valueName, "as for set", kWaitLock.bind}},
         R"(as set, without "exact", with "out1_enabled", "out2_enabled" and
"drive_strength")",
         true,
         &applyCommand},
        {"diff",
         "FILE",
         "compare the clock with a configuration saved by show --json, field by\n"
         "field: exit 0 when they are equal, 9 when not (the fields are listed)",
         {{"--any-serial", "", "compare with a file saved from a clock with another serial",
           option::flag(&CtlOptions::anySerial)}},
         R"({"serial", "file", "equal", "differences": ["FIELD: file A, clock B"]})",
         true,
         &diffCommand},
        {"udev-rule",
         "",
         "print the udev rule for the USB ids in force (see --usb-id), to be\n"
         "installed as /etc/udev/rules.d/70-tarnwell.rules; refused (exit 2) when\n"
         "the variable or a settings file that would give the ids is malformed",
         {{"--group", "GROUP",
           "give the clocks to GROUP (for sessions without a seat, such as ssh),\n"
           "besides the user at the seat; letters, digits, '.', '_' and '-'; the\n"
           "package's rule gives them to the services' group tarnwell, which a rule\n"
           "in /etc of the same name replaces",
           option::portableName(&CtlOptions::group)}},
         R"({"usb_ids", "rule"})",
         false,
         &udevRuleCommand},
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

const std::vector<CommandSpec>& ctlCommands() {
    static const std::vector<CommandSpec> commands = makeCommands();
    return commands;
}

const std::vector<OptionSpec>& ctlGeneralOptions() {
    static const std::vector<OptionSpec> options = {
        {"-s,--serial", "SERIAL",
         "the clock to use; may be left out when exactly one clock is attached.\n"
         "Of several clocks with one serial number the first listed is used, as in\n"
         "the window, and a note says so",
         option::text(&CtlOptions::serial)},
        {"--timeout", "S",
         "give up after S seconds in all, with exit status 6. Without it each request\n"
         "to the clock may take " +
             secondsText(kClockAnswerTimeout) + ", and status waits " +
             secondsText(kDefaultStatusTimeout) +
             " for a report; whatever the\n"
             "command, the metrics included, no request waits longer",
         option::seconds(&CtlOptions::timeout)},
        {"--json", "",
         "print one JSON object on standard output instead of text (see JSON below;\n"
         "errors too: {\"error\": TEXT, \"exit_status\": N})",
         option::generalFlag(&CtlOptions::json)},
        {"--usb-id", "VID:PID",
         "look for clocks with these USB ids (hex; repeatable) instead of those of\n"
         "the variable " +
             std::string(kUsbIdsVariable) + ", the settings files\n" +
             joined(usbIdSettingsFilesShown(), " and ") + ",\nor the build's default",
         option::usbIds(&CtlOptions::usbIds)},
        {"-h,--help", "", "show this text and exit", option::generalFlag(&CtlOptions::help)},
        {"--version", "", "show the version and exit", option::generalFlag(&CtlOptions::version)},
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
