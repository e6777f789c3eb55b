#include "PlanCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>
#include <vector>

#include "JointCommand.h"
#include "NearestCommand.h"
#include "common/NumberText.h"
#include "hostio/SafeText.h"
#include "planning/DividerSearch.h"
#include "planning/NearestExact.h"
#include "planning/PllModel.h"

namespace tarnwell::plan {

namespace {

constexpr int kExitRefused = 2;
constexpr int kDividerCount = 7;
constexpr int kBandwidthWithoutSerial = 15;

// The help, with the clock's numbers filled in from the limits.
std::string usage() {
    const std::string reach = formatNumber(kNearestExactReach * 100) + "%";
    const WholeFrequencyRange range = reachableWholeFrequencies();
    const std::string lowest = formatNumber(range.lowest);
    const std::string highest = formatNumber(range.highest);
    const std::string lowestWanted = formatNumber(kLowestWantedFrequency);
    return R"(Usage: tarnwell-plan [--serial SERIAL] [--nearest] [--json] HZ...
       tarnwell-plan [--serial SERIAL] [--json] HZ... --out2 HZ2
       tarnwell-plan --dividers GPS N31 N2_HS N2_LS N1_HS NC1_LS NC2_LS

Finds the PLL divider setting that makes output 1 of the clock run at HZ (in Hz, with '.' as the
decimal point) and prints one line per frequency, in the order given:

  HZ: found preferred GPS=4687500 N31=5 N2_HS=11 N2_LS=512 N1_HS=11 NC1_LS=48 NC2_LS=48 BW=15 F3=937500 Fosc=5.28

  HZ: not found

  preferred, wide  the search pass that found it; wide means nothing fits the preferred,
                   narrower oscillator and phase-detector ranges
  GPS              GPS reference frequency the clock is to be given, Hz
  N31              input divider: F3 = GPS / N31
  N2_HS, N2_LS     feedback dividers: Fosc = F3 x N2_HS x N2_LS
  N1_HS, NC1_LS    output dividers: output 1 = Fosc / (N1_HS x NC1_LS)
  NC2_LS           output-2 divider, set equal to NC1_LS
  BW               bandwidth code for the clock's serial number, 15 without --serial
  F3               phase-detector frequency in whole Hz, cut (not rounded)
  Fosc             oscillator frequency in GHz, cut to four decimals

With --nearest, a frequency without an exact setting gets, instead of one line:

  HZ: not found
  HZ: nearest below HZ=... DIFF_HZ=... DIFF_PPM=... preferred GPS=... (as above)
  HZ: nearest above HZ=... DIFF_HZ=... DIFF_PPM=... wide GPS=...
  HZ: closest wide GPS=... Fosc=... OUT1=NUM/DEN OUT1_HZ=... ERROR_HZ=... ERROR_PPB=...

  nearest below/above  the nearest whole frequencies with an exact setting, looked for within
                       )" +
           reach + R"( of HZ ("none within )" + reach + R"(" otherwise)
  closest              the setting whose output 1 is nearest to HZ of all the search allows,
                       OUT1 its exact frequency, OUT1_HZ in decimals enough to show the error

A frequency outside what output 1 can reach gets, after "not found", the range instead, and the
end of it nearest to HZ when that end has an exact setting:

  HZ: the clock reaches )" +
           lowest + " to " + highest + R"( Hz
  HZ: nearest above HZ=... DIFF_HZ=... (as above; "below" for a frequency above the range)

With --out2 HZ2, the setting that makes output 1 run at HZ and output 2 at HZ2 both exactly
(the same search, with NC2_LS chosen so that HZ x NC1_LS = HZ2 x NC2_LS):

  HZ with out2 HZ2: found preferred GPS=... NC1_LS=... NC2_LS=... BW=... F3=... Fosc=...

or, when no setting makes both, output 1's own setting and the output-2 frequencies nearest to
HZ2 that it allows:

  HZ with out2 HZ2: not found: no setting makes both exactly
  HZ with out2 HZ2: output 1 found preferred GPS=... (as above)
  HZ with out2 HZ2: out2 nearest below OUT2=... NC2_LS=... DIFF_HZ=... DIFF_PPM=...
  HZ with out2 HZ2: out2 nearest above OUT2=... NC2_LS=... DIFF_HZ=... DIFF_PPM=...

Options:
  --serial SERIAL  the clock's serial number; its second character chooses BW
  --nearest        for frequencies without an exact setting, the nearest exact frequencies and
                   the closest setting
  --json           the --nearest answers for all frequencies as one JSON object on one line:
                   {"BW", "reach_percent", "frequencies": [{"input", "hz", "exact_setting",
                   "nearest_below", "nearest_above", "closest", and for a frequency out of
                   reach "reachable_hz": {"lowest", "highest"}}]}, a setting as {"pass", "GPS",
                   "N31", "N2_HS", "N2_LS", "N1_HS", "NC1_LS", "NC2_LS"}, a neighbour as {"hz",
                   "diff_hz", "diff_ppm", "setting"}, the closest as {"setting", "out1_hz",
                   "out1_decimal", "error_hz", "error_ppb"}; null for none. Frequencies and
                   differences in Hz are numbers; out1_hz is a number when a double holds it
                   exactly, otherwise the string "NUMERATOR/DENOMINATOR" of its exact value;
                   out1_decimal (cut), diff_ppm, error_hz and error_ppb (rounded) are strings;
                   a number that is not finite would be written as null
  --out2 HZ2       output 2's frequency: a setting for both outputs at once. With --json, one
                   JSON object on one line: {"BW", "pairs": [{"out1_hz", "out2_hz", "setting",
                   "out1_setting", "out2_nearest_below", "out2_nearest_above"}]}, a setting as
                   above with "NC2_LS" its own, an output-2 choice as {"out2_hz", "NC2_LS",
                   "diff_hz", "diff_ppm"}; "setting" is null when none makes both exactly
  --dividers GPS N31 N2_HS N2_LS N1_HS NC1_LS NC2_LS
                   evaluate a setting: output 1 and 2, F3 and Fosc as exact fractions, the divider
                   limits it breaks (LIMITS), the windows and rules of each pass it breaks
                   (PREFERRED, WIDE), and which pass would accept it, exactness aside (ACCEPTED)
  --help           show this text
  --version        show the version

Options may be given as --option=value; an option given twice, or one this program does not know,
is refused.

Exit status: 0; 2 when an option is unknown or lacks its value (nothing is answered), or when an
argument is not a number of at least )" +
           lowestWanted + R"( (the others are still answered); 1 when the answers could not
be written (standard output on a full disk, say).
)";
}

struct Arguments {
    bool help = false;
    bool version = false;
    std::optional<std::string> serial;
    std::vector<std::string> frequencies;
    std::string complaint;  // empty when the line is usable
    bool nearest = false;
    bool json = false;
    std::vector<std::string> dividers;
    std::optional<std::string> out2;
};

// Parsed as tarnwell-ctl parses its own: unknown options, "--option=value" and repeats alike.
Arguments parseArguments(std::span<const std::string_view> args) {
    Arguments parsed;
    CLI::App app("", "tarnwell-plan");
    app.set_help_flag();  // the help text is usage()
    app.add_flag("-h,--help", parsed.help);
    app.add_flag("--version", parsed.version);
    app.add_flag("--nearest", parsed.nearest);
    app.add_flag("--json", parsed.json);
    app.add_option_function<std::string>("--serial",
                                         [&parsed](const std::string& s) { parsed.serial = s; });
    app.add_option_function<std::string>("--out2",
                                         [&parsed](const std::string& s) { parsed.out2 = s; });
    app.add_option("--dividers", parsed.dividers)->expected(kDividerCount);
    app.add_option("HZ", parsed.frequencies);
    // CLI11 takes the words last to first.
    std::vector<std::string> words(args.rbegin(), args.rend());
    try {
        app.parse(words);
    } catch (const CLI::ParseError& error) {
        parsed.complaint = error.what();
    }
    return parsed;
}

std::optional<double> positiveFrequency(std::string_view text) {
    const std::optional<double> value = parseNumber(text, NumberLocale{'.'});
    if (!value || !(*value > 0) || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

// A frequency the search may be asked for.
std::optional<double> wantedFrequency(std::string_view text) {
    const std::optional<double> value = positiveFrequency(text);
    if (!value || *value < kLowestWantedFrequency)
        return std::nullopt;
    return value;
}

}  // namespace

std::string settingText(const DividerPlan& p, int nc2, int bandwidth) {
    std::string text = p.pass == SearchPass::Preferred ? "preferred" : "wide";
    text += " GPS=" + std::to_string(p.reference);
    text += " N31=" + std::to_string(p.n31);
    text += " N2_HS=" + std::to_string(p.n2hs);
    text += " N2_LS=" + std::to_string(p.n2ls);
    text += " N1_HS=" + std::to_string(p.n1hs);
    text += " NC1_LS=" + std::to_string(p.nc);
    text += " NC2_LS=" + std::to_string(nc2);
    text += " BW=" + std::to_string(bandwidth);
    text += " F3=" + formatNumber(f3Readout(pllValuesOf(p)));
    text += " Fosc=" + formatNumber(foscReadoutGHz(pllValuesOf(p)));
    return text;
}

std::string planLine(std::string_view frequencyText, const SearchResult& result, int bandwidth) {
    std::string line(frequencyText);
    if (result.outcome != SearchOutcome::Found || !result.plan)
        return line + ": not found";
    return line + ": found " + settingText(*result.plan, result.plan->nc, bandwidth);
}

int runPlan(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    const Arguments parsed = parseArguments(args);
    if (parsed.help) {
        out << usage();
        return 0;
    }
    if (parsed.version) {
        out << "tarnwell-plan " << TARNWELL_VERSION << '\n';
        return 0;
    }
    if (!parsed.complaint.empty()) {
        err << "tarnwell-plan: " << printable(parsed.complaint, std::string::npos)
            << "; see tarnwell-plan --help\n";
        return kExitRefused;
    }
    int status = 0;
    if (!parsed.dividers.empty()) {
        const std::vector<std::string_view> dividers(parsed.dividers.begin(),
                                                     parsed.dividers.end());
        status = runDividers(dividers, out, err);
        if (parsed.frequencies.empty())
            return status;
    }
    if (parsed.frequencies.empty()) {
        err << "tarnwell-plan: no frequency given; see tarnwell-plan --help\n";
        return kExitRefused;
    }
    const int bandwidth =
        parsed.serial ? bandwidthCodeForSerial(*parsed.serial) : kBandwidthWithoutSerial;
    std::optional<double> out2;
    if (parsed.out2) {
        out2 = positiveFrequency(*parsed.out2);
        if (!out2) {
            err << "tarnwell-plan: --out2 \"" << printable(*parsed.out2)
                << "\" is not a positive frequency in Hz\n";
            return kExitRefused;
        }
    }
    std::vector<std::string_view> texts;
    std::vector<double> values;
    for (const std::string_view text : parsed.frequencies) {
        const std::optional<double> hz = wantedFrequency(text);
        if (!hz) {
            err << "tarnwell-plan: \"" << printable(text)
                << "\" is not a frequency in Hz of at least "
                << formatNumber(kLowestWantedFrequency) << '\n';
            status = kExitRefused;
            continue;
        }
        if (parsed.json) {
            texts.push_back(text);
            values.push_back(*hz);
        } else if (out2) {
            out << jointText(text, *hz, *parsed.out2, *out2, bandwidth);
        } else if (parsed.nearest) {
            out << nearestText(text, *hz, bandwidth);
        } else {
            out << planLine(text, findDividers(*hz), bandwidth) << '\n';
        }
    }
    if (parsed.json && out2)
        out << jointJson(values, *out2, bandwidth);
    else if (parsed.json)
        out << nearestJson(texts, values, bandwidth);
    return status;
}

}  // namespace tarnwell::plan
