// The --help text: the fixed paragraphs here, everything about the commands from their table.

#include <algorithm>
#include <string>

#include "CtlCommand.h"
#include "CtlCommandTable.h"
#include "ExitStatus.h"
#include "SavedConfiguration.h"
#include "host/UsbIdSettings.h"

namespace tarnwell::ctl {

namespace {

constexpr std::string_view kIntroduction =
    R"(Usage: tarnwell-ctl [-s SERIAL] [--json] COMMAND [ARGUMENT]... [OPTION]...
Configure and watch USB GPS-disciplined reference clocks from the command line.

tarnwell-ctl makes the same exchanges with a clock as the Tarnwell window: the same divider search
and BW rule, the same command reports, the same configuration read. Every argument is checked
before anything is sent; a setting is read back after it is programmed. Numbers use a dot for
decimals whatever the locale, on the command line and in the output.
)";

// The limits as the code has them.
std::string filesText() {
    return R"(
Files: apply and diff read a regular file of at most )" +
           sizeText(kSavedConfigurationLimit) + ", JSON nested at most " +
           std::to_string(kSavedConfigurationDepth) + " levels\ndeep, with at most " +
           std::to_string(kSavedConfigurationValues) +
           R"( values and no field twice; the settings files too are read
only when regular and within )" +
           sizeText(kSettingsFileLimit) + ", naming at most " + std::to_string(kMostUsbIds) +
           R"( ids, and one that is there but
cannot be read is reported like a malformed one.
--textfile replaces its file through a fresh file beside it (never through a link planted
there) and refuses a target that is not a regular file.
)";
}

constexpr std::string_view kJson = R"(
JSON:
  With --json each command prints one JSON object on one line. The clock's registers keep the
  names the window shows (GPS, N31, N2_HS, N2_LS, N1_HS, NC1_LS, NC2_LS, BW); every other field
  has a descriptive snake_case name. Counts, dividers and register values are whole numbers.
  Frequencies are exact, in Hz (not the window's shortened F3 and Fosc readouts): a number when
  a double holds the value exactly, otherwise the string "NUMERATOR/DENOMINATOR". The phase is
  the window's choice in degrees: a number when a double holds it exactly, otherwise its text
  ("25.71"). A number that is not finite would be written as null.

)";

constexpr std::string_view kExamples = R"(
Examples:
  tarnwell-ctl list
  tarnwell-ctl set 10000000 -s T5240342 --wait-lock 60
  tarnwell-ctl set 10000000 --out2 20000000 --dry-run
  tarnwell-ctl set 9999991 --closest --dry-run
  tarnwell-ctl program 4687500 5 11 512 11 48 48 --bw 15
  tarnwell-ctl status --json
  tarnwell-ctl status --watch --json | jq .
  tarnwell-ctl show --json > clock.json; tarnwell-ctl apply clock.json; tarnwell-ctl diff clock.json
  tarnwell-ctl status --watch --textfile /var/lib/prometheus/node-exporter/tarnwell.prom
  tarnwell-ctl udev-rule | sudo tee /etc/udev/rules.d/70-tarnwell.rules

Report bugs to the Tarnwell maintainers.
)";

constexpr std::size_t kExitColumn = 6;

// The text and a line end, its further lines starting at `column`.
void appendLines(std::string& out, std::string_view text, std::size_t column) {
    for (const char c : text) {
        out += c;
        if (c == '\n')
            out.append(column, ' ');
    }
    out += '\n';
}

// "  label  text", the text's lines starting at `column`; a label too long for that gets a line
// of its own.
void item(std::string& out, const std::string& label, std::string_view text, std::size_t column,
          std::size_t gap) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely on a short literal added to a string.
    std::string line = "  ";
    line += label;
    if (line.size() + gap > column) {
        line += '\n';
        line.append(column, ' ');
    } else {
        line.resize(column, ' ');
    }
    out += line;
    appendLines(out, text, column);
}

// "  2   usage error ...", a status too wide for the column followed by two blanks.
void exitStatusItem(std::string& out, const ExitStatusMeaning& status) {
    std::string line = "  ";
    line += status.statuses;
    line.resize(std::max(line.size() + 2, kExitColumn), ' ');
    out += line;
    appendLines(out, status.meaning, kExitColumn);
}

std::string optionLabel(const OptionSpec& option) {
    std::string label = option.names.starts_with("--") ? "    " : "";
    for (const char c : option.names) {
        label += c;
        if (c == ',')
            label += ' ';
    }
    if (!option.valueName.empty()) {
        label += ' ';
        label += option.valueName;
    }
    return label;
}

constexpr std::size_t kTextColumn = 23;
constexpr std::size_t kJsonColumn = 18;

std::string helpText() {
    std::string out(kIntroduction);
    out += "\nCommands:\n";
    for (const CommandSpec& command : ctlCommands()) {
        std::string label = command.name;
        if (!command.arguments.empty()) {
            label += ' ';
            label += command.arguments;
        }
        item(out, label, command.help, kTextColumn, 2);
    }
    out += "\nOptions:\n";
    for (const OptionSpec& option : ctlGeneralOptions())
        item(out, optionLabel(option), option.help, kTextColumn, 2);
    for (const CommandSpec& command : ctlCommands()) {
        if (command.options.empty())
            continue;
        out += "\nOptions of ";
        out += command.name;
        out += ":\n";
        for (const OptionSpec& option : command.options)
            item(out, optionLabel(option), option.help, kTextColumn, 2);
    }
    out += "\nExit status:\n";
    for (const ExitStatusMeaning& status : exitStatusMeanings())
        exitStatusItem(out, status);
    out += filesText();
    out += kJson;
    for (const CommandSpec& command : ctlCommands())
        item(out, command.name, command.jsonFields, kJsonColumn, 2);
    item(out, "error", R"({"error", "exit_status"}, with every command)", kJsonColumn, 2);
    out += kExamples;
    return out;
}

}  // namespace

std::string_view ctlHelpText() {
    static const std::string text = helpText();
    return text;
}

}  // namespace tarnwell::ctl
