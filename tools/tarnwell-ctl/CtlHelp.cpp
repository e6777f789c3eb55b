#include "CtlCommand.h"

#include <string>

#include "planning/ClockLimits.h"
#include "planning/NearestExact.h"
#include "planning/PhaseList.h"

namespace tarnwell::ctl {

namespace {

std::string range(std::int64_t lowest, std::int64_t highest) {
    return std::to_string(lowest) + ".." + std::to_string(highest);
}

// "8mA|16mA|24mA|32mA", or with the units dropped "8, 16, 24 or 32".
std::string driveChoices(bool plain) {
    std::string text;
    for (std::size_t i = 0; i < kDriveStrengthTexts.size(); ++i) {
        std::string_view choice = kDriveStrengthTexts[i];
        if (plain) {
            choice.remove_suffix(2);
            text += i == 0 ? "" : (i + 1 == kDriveStrengthTexts.size() ? " or " : ", ");
        } else if (i > 0) {
            text += "|";
        }
        text += choice;
    }
    return text;
}

std::string nearestReach() {
    return std::to_string(static_cast<int>(kNearestExactReach * 100)) + "%";
}

}  // namespace

std::string_view ctlHelpText() {
    static const std::string text = R"(Usage: tarnwell-ctl [-s SERIAL] [--json] COMMAND [ARGUMENT]... [OPTION]...
Configure and watch USB GPS-disciplined reference clocks from the command line.

tarnwell-ctl makes the same exchanges with a clock as the Tarnwell window: the same divider search
and BW rule, the same command reports, the same configuration read. Every argument is checked
before anything is sent; a setting is read back after it is programmed. Numbers use a dot for
decimals whatever the locale, on the command line and in the output.

Commands:
  list                 every attached clock: serial number, manufacturer, product, firmware
                       version, device path, and whether this user may open it (with the reason
                       and the fix when not)
  show                 the clock's configuration as the window shows it: output enables, drive
                       strength, GPS reference, the six dividers, phase shift, BW, output 1
                       frequency, F3, Fosc and output 2 frequency
  status               GPS signal, PLL lock and signal-loss count from the next status report
  set HZ               find the setting for output 1 = HZ (as Find does), program it (command 4,
                       twice, as Update does) and read it back
  program GPS N31 N2_HS N2_LS N1_HS NC1_LS NC2_LS
                       program exactly these values, then read them back; a value outside its
                       divider's limits is refused (see --clamp). Limits: GPS )" + range(kGpsMin, kGpsMax) + R"(,
                       N31 )" + range(kN31Min, kN31Max) + R"(, N2_HS )" + range(kN2HsMin, kN2HsMax) + R"(, N1_HS )" + range(kN1HsMin, kN1HsMax) + R"(,
                       N2_LS even, )" + range(kLowSpeedDividerMin, kN2LsMax) + R"(, NC1_LS and NC2_LS even, )" + range(kLowSpeedDividerMin, kNcMax) + R"(
  outputs              enable or disable the outputs (--out1, --out2), then read them back
  identify 1|2|off     make the clock identify output 1 or 2, or stop identifying
  drive )" + driveChoices(false) + R"(
                       set the output drive strength ()" + driveChoices(true) + R"(), then read it back
  sleep                send the clock's sleep command
  write-register REG VALUE
                       write VALUE (0..255) into the clock's register REG (0..255)

Options:
  -s, --serial SERIAL  the clock to use; may be left out when exactly one clock is attached.
                       Of several clocks with one serial number the first listed is used, as in
                       the window, and a note says so
      --json           print one JSON document on standard output instead of text (errors too:
                       {"error": TEXT, "exitStatus": N})
      --help           show this text and exit
      --version        show the version and exit

Options of status:
      --timeout S      wait up to S seconds (default 2) for a status report
      --watch          print a line with a UTC timestamp for every change of the status until
                       interrupted (Ctrl-C); with --json, one array of timestamped objects

Options of set:
      --out2 HZ        output 2 frequency, one of the choices the window offers for output 1
                       (output 1 x NC1_LS / NC2_LS for every even NC2_LS); default: equal to
                       output 1. A value that is not a choice is refused with the nearest ones
      --phase DEG      phase shift of output 2 in degrees, one of the window's phase choices
                       (steps of 360 / NC1_LS); only when output 2 equals output 1. Default 0
      --nearest        when HZ has no exact setting, program the nearest whole frequency
                       (within )" + nearestReach() + R"( of HZ) that has one instead; the nearer side, the lower on a tie
      --closest        when HZ has no exact setting, program the setting whose output 1 comes
                       closest to HZ instead (its frequency is then not HZ exactly)
      --dry-run        print the setting and send nothing
      --wait-lock S    after programming, wait up to S seconds for PLL lock and a GPS signal

Options of program:
      --phase INDEX    phase step index, 0 up to min(NC1_LS, )" + std::to_string(kMaxPhaseEntries) + R"() - 1; default 0
      --bw N           BW code 0..255; default: the window's rule for the serial (6 when its
                       second character is 1, 3 or 5, otherwise 15)
      --clamp          pull out-of-range values into range with the window's clamp rule and
                       print every value changed, instead of refusing them
      --wait-lock S    as for set

Options of outputs:
      --out1 on|off    output 1 enabled or not; default: as the clock has it now
      --out2 on|off    output 2 enabled or not; default: as the clock has it now

Exit status:
  0   done
  2   usage error: bad argument, unknown option, value out of range or not among the choices,
      several clocks attached and no -s; nothing was sent
  3   no such clock: none attached, none with that serial, or unplugged before it was opened
  4   the clock cannot be opened (permission denied, busy, ...)
  5   no exact setting for the frequency asked
  6   device error: a send or a read failed, or no status report came in time; the message
      names the step
  7   the configuration read back differs from what was sent (the fields are listed)
  8   no PLL lock and GPS signal within --wait-lock

JSON fields (named after the window's boxes):
  list     {"clocks": [{"SerNo", "lblManuf", "lblProduct", "lblVersion", "path", "canOpen",
           "openFailure", "fix"}]}; a string that cannot be read is null
  show     {"SerNo", "lblManuf", "lblProduct", "lblVersion", "OUT1EN", "OUT2EN", "Enc1", "GPS",
           "N31", "N2_HS", "N2_LS", "N1_HS", "NC1_LS", "NC2_LS", "PhaseBox" (degrees),
           "PhaseIndex", "BW", "Out1Freq" (Hz), "F3lbl" (Hz), "Fosclbl" (GHz), "OUT2" (Hz)}
  status   {"SerNo", "SignalLossCount", "LOS" (true: no GPS signal), "LOL" (true: no PLL lock)};
           --watch: [{"time", "SignalLossCount", "LOS", "LOL"}, ...]
  set      {"SerNo", "dryRun", "exact" (false: Out1Freq is not HZ), "GPS", "N31", "N2_HS", "N2_LS", "N1_HS", "NC1_LS", "NC2_LS",
           "PhaseBox", "PhaseIndex", "BW", "Out1Freq", "OUT2", "F3lbl", "Fosclbl", "readBack",
           "LOS", "LOL" (the last two with --wait-lock)}
  program  as set, without "dryRun" and "exact", with "clamped": [{"box", "from", "to"}]
  outputs  {"SerNo", "OUT1EN", "OUT2EN"}
  identify {"SerNo", "identify": "output 1" | "output 2" | "off"}
  drive    {"SerNo", "Enc1"}
  sleep    {"SerNo", "sleep": true}
  write-register
           {"SerNo", "REG", "DATA"}

Examples:
  tarnwell-ctl list
  tarnwell-ctl set 10000000 -s T5240342 --wait-lock 60
  tarnwell-ctl set 10000000 --out2 20000000 --dry-run
  tarnwell-ctl set 9999991 --closest --dry-run
  tarnwell-ctl program 4687500 5 11 512 11 48 48 --bw 15
  tarnwell-ctl status --json
  tarnwell-ctl status --watch

Report bugs to the Tarnwell maintainers.
)";
    return text;
}

}  // namespace tarnwell::ctl
