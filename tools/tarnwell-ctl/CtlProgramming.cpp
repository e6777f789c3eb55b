// The commands that program a setting: set (search, then program) and program (given values).

#include <algorithm>
#include <cmath>

#include "CtlRun.h"
#include "CtlText.h"
#include "SettingChoice.h"
#include "commands/SetFrequencyCommand.h"
#include "planning/DividerLimits.h"
#include "planning/DividerSearch.h"
#include "planning/ExactFrequencies.h"
#include "planning/JointDividerSearch.h"
#include "planning/NearestExact.h"
#include "planning/Output2List.h"
#include "planning/PhaseList.h"
#include "planning/PllModel.h"

namespace tarnwell::ctl {

namespace {

// The record as the window encodes it, or nothing when a field cannot be carried.
std::optional<PllSettingsBytes> encode(const PllSettings& v) {
    const PllEncoding encoding = encodePllSettings({double(v.gps), double(v.n31), double(v.n2hs),
                                                    double(v.n2ls), double(v.n1hs), double(v.nc1ls),
                                                    double(v.nc2ls), v.phaseIndex, double(v.bw)});
    if (!encoding)
        return std::nullopt;
    return encoding.bytes;
}

// Why set gives up on two outputs, with what comes nearest: output 1 exact, output 2 nearby.
std::string noJointSettingText(std::string_view hzText, double hz, double out2) {
    std::string text = "no setting makes output 1 " + std::string(hzText) + " Hz and output 2 " +
                       formatNumber(out2, kDot) + " Hz both exactly";
    const JointFallback nearest = nearestOutput2Choices(hz, out2);
    const auto choice = [](const char* side, const Output2Choice& c) {
        return std::string("; nearest ") + side + " " + formatNumber(c.frequency, kDot) +
               " Hz (NC2_LS " + std::to_string(c.nc2) + ", " + formatNumber(c.errorHz, kDot) +
               " Hz, " + formatNumber(c.errorPpm, kDot) + " ppm)";
    };
    if (nearest.below)
        text += choice("below", *nearest.below);
    if (nearest.above)
        text += choice("above", *nearest.above);
    return text;
}

}  // namespace

// The frequencies as exact fractions of the registers, not as the window's shortened readouts.
void Run::addSetting(Json& document, const Setting& setting) const {
    const PllSettings& v = setting.values;
    const ExactFrequencies exact =
        exactFrequencies({v.gps, v.n31, v.n2hs, v.n2ls, v.n1hs, v.nc1ls, v.nc2ls});
    const auto frequency = [](const Fraction& f) {
        return exactNumber(f.numerator, f.denominator);
    };
    document["GPS"] = v.gps;
    document["N31"] = v.n31;
    document["N2_HS"] = v.n2hs;
    document["N2_LS"] = v.n2ls;
    document["N1_HS"] = v.n1hs;
    document["NC1_LS"] = v.nc1ls;
    document["NC2_LS"] = v.nc2ls;
    document["phase_degrees"] = decimalNumber(setting.phaseText);
    document["phase_index"] = v.phaseIndex;
    document["BW"] = v.bw;
    document["out1_hz"] = frequency(exact.out1);
    document["out2_hz"] = setting.out2Text ? frequency(exact.out2) : Json(nullptr);
    document["f3_hz"] = frequency(exact.f3);
    document["fosc_hz"] = frequency(exact.fosc);
}

void Run::printSetting(const Setting& setting) const {
    const PllSettings& v = setting.values;
    out_ << "GPS=" << v.gps << " N31=" << v.n31 << " N2_HS=" << v.n2hs << " N2_LS=" << v.n2ls
         << " N1_HS=" << v.n1hs << " NC1_LS=" << v.nc1ls << " NC2_LS=" << v.nc2ls
         << " phase=" << setting.phaseText << " (step " << int{v.phaseIndex} << ") BW=" << int{v.bw}
         << '\n'
         << "output 1 " << setting.out1Text << " Hz, output 2 " << setting.out2Text.value_or("-")
         << " Hz, F3 " << formatNumber(f3Readout(pllValuesOf(v)), kDot) << " Hz, Fosc "
         << formatNumber(foscReadoutGHz(pllValuesOf(v)), kDot) << " GHz\n";
}

// Command 4, twice, as the window's Update sends it. Update reads its boxes again for the second
// copy; here nothing can change between the two, so both copies are the same report.
int Run::sendSetting(const Setting& setting) {
    for (int pass = 1; pass <= kProgrammingPasses; ++pass) {
        const std::string step = "sending the setting (copy " + std::to_string(pass) + " of " +
                                 std::to_string(kProgrammingPasses) + ")";
        if (const int status =
                send([&setting](
                         std::size_t length) { return setFrequencyReport(setting.bytes, length); },
                     step)) {
            return status;
        }
    }
    return kExitDone;
}

int Run::programAndCheck(const Setting& setting, Json document) {
    if (const int status = sendSetting(setting))
        return status;
    std::optional<DeviceConfiguration> readBack;
    if (const int status = readConfiguration(readBack, "reading the setting back"))
        return status;
    const PllSettings& sent = setting.values;
    const PllSettings& got = readBack->pll;
    std::vector<std::string> differences;
    const auto compare = [&differences](const char* name, std::uint32_t a, std::uint32_t b) {
        if (a != b) {
            differences.push_back(std::string(name) + " sent " + std::to_string(a) +
                                  ", read back " + std::to_string(b));
        }
    };
    compare("GPS", sent.gps, got.gps);
    compare("N31", sent.n31, got.n31);
    compare("N2_HS", sent.n2hs, got.n2hs);
    compare("N2_LS", sent.n2ls, got.n2ls);
    compare("N1_HS", sent.n1hs, got.n1hs);
    compare("NC1_LS", sent.nc1ls, got.nc1ls);
    compare("NC2_LS", sent.nc2ls, got.nc2ls);
    compare("PhaseIndex", sent.phaseIndex, got.phaseIndex);
    compare("BW", sent.bw, got.bw);
    if (!differences.empty())
        return fail(kExitReadbackDiffers,
                    "the clock reads back other values: " + joined(differences, "; "));
    document["read_back"] = true;

    const std::optional<std::chrono::milliseconds> waitLock = args_.duration("--wait-lock");
    if (waitLock) {
        InputStatus last;
        if (const int status = waitForStatus(deadline_.stepLimit(*waitLock), true, last))
            return status;
        addStatusJson(document, last);
    }
    if (args_.json) {
        emit(document);
    } else {
        out_ << "programmed " << terminalText(utf8FromLatin1(serial())) << ": ";
        printSetting(setting);
        out_ << "read back: the same\n";
        if (waitLock)
            out_ << "locked, with a GPS signal\n";
    }
    return kExitDone;
}

int Run::set() {
    const std::string_view hzText = args_.positional[0];
    const std::optional<double> hz = number(hzText);
    if (!hz || *hz < kLowestWantedFrequency) {
        return fail(kExitUsage, quoted(hzText) + " is not a frequency in Hz of at least " +
                                    formatNumber(kLowestWantedFrequency, kDot));
    }
    std::optional<double> out2Wanted;
    if (const auto text = args_.value("--out2")) {
        out2Wanted = number(*text);
        if (!out2Wanted || *out2Wanted <= 0)
            return fail(kExitUsage, "--out2 needs a frequency in Hz, not " + quoted(*text));
    }
    std::optional<double> phaseWanted;
    if (const auto text = args_.value("--phase")) {
        phaseWanted = number(*text);
        if (!phaseWanted)
            return fail(kExitUsage, "--phase needs degrees, not " + quoted(*text));
    }
    if (args_.has("--nearest") && args_.has("--closest"))
        return fail(kExitUsage, "--nearest and --closest exclude each other");
    const InexactChoice inexact = args_.has("--nearest")   ? InexactChoice::NearestExact
                                  : args_.has("--closest") ? InexactChoice::Closest
                                                           : InexactChoice::None;
    const std::optional<ChosenSetting> chosen = chooseSetting(*hz, inexact);
    if (!chosen) {
        return fail(kExitNoExactSetting,
                    "no exact setting for " + std::string(hzText) + " Hz" +
                        (inexact == InexactChoice::NearestExact
                             ? " and none for a whole frequency within " +
                                   formatNumber(kNearestExactReach * 100, kDot) + "% of it"
                             : ""));
    }
    DividerPlan plan = chosen->plan;
    const double out1 = chosen->out1;

    Setting setting;
    setting.out1Text = formatNumber(out1, kDot);
    // Output 2's choices are those the window's list offers after this search.
    const int lastIndex = plan.nc / 2 - 1;
    std::vector<std::string> out2Choices = out2Texts(out1, plan.nc, 0, lastIndex + 1, kDot);
    int out2Index = lastIndex;
    if (out2Wanted) {
        const std::string wanted = formatNumber(*out2Wanted, kDot);
        const auto found = std::find(out2Choices.begin(), out2Choices.end(), wanted);
        if (found != out2Choices.end()) {
            out2Index = static_cast<int>(found - out2Choices.begin());
        } else if (!chosen->exact) {
            return fail(kExitUsage, "output 2 cannot be " + std::string(*args_.value("--out2")) +
                                        " Hz with this setting; nearest choices: " +
                                        joined(nearest(out2Choices, *out2Wanted)));
        } else {
            // Not among the window's choices: the search for both outputs at once.
            const std::optional<JointPlan> joint = findJointDividers(*hz, *out2Wanted);
            if (!joint)
                return fail(kExitNoExactSetting, noJointSettingText(hzText, *hz, *out2Wanted));
            plan = joint->plan;
            out2Index = joint->nc2 / 2 - 1;
        }
    }
    setting.out2Text = formatNumber(out2Value(out1, plan.nc, out2Index), kDot);

    // The window offers phase shifts only when both outputs show the same frequency.
    const std::vector<std::string> phases = phaseEntries(formatNumber(plan.nc, kDot), kDot);
    std::size_t phaseIndex = 0;
    if (phaseWanted) {
        if (*setting.out2Text != setting.out1Text) {
            return fail(kExitUsage,
                        "--phase needs output 2 equal to output 1; the window offers no phase "
                        "shift otherwise");
        }
        const std::string wanted = formatNumber(*phaseWanted, kDot);
        const auto found = std::find(phases.begin(), phases.end(), wanted);
        if (found == phases.end()) {
            return fail(kExitUsage,
                        "no phase shift of " + std::string(*args_.value("--phase")) +
                            " degrees; nearest choices: " + joined(nearest(phases, *phaseWanted)));
        }
        phaseIndex = static_cast<std::size_t>(found - phases.begin());
    }
    setting.phaseText = phases[phaseIndex];

    if (const int status = resolveSerial())
        return status;
    PllSettings& v = setting.values;
    v.gps = static_cast<std::uint32_t>(plan.reference);
    v.n31 = static_cast<std::uint32_t>(plan.n31);
    v.n2hs = static_cast<std::uint32_t>(plan.n2hs);
    v.n2ls = static_cast<std::uint32_t>(plan.n2ls);
    v.n1hs = static_cast<std::uint32_t>(plan.n1hs);
    v.nc1ls = static_cast<std::uint32_t>(plan.nc);
    v.nc2ls = static_cast<std::uint32_t>(out2DividerForIndex(out2Index));
    v.phaseIndex = static_cast<std::uint8_t>(phaseIndex);
    v.bw = static_cast<std::uint8_t>(bandwidthCodeForSerial(serial()));
    const std::optional<PllSettingsBytes> bytes = encode(v);
    if (!bytes)
        return fail(kExitUsage, "the setting cannot be encoded");
    setting.bytes = *bytes;

    Json document = {{"serial", utf8FromLatin1(serial())},
                     {"dry_run", args_.has("--dry-run")},
                     {"exact", chosen->exact}};
    addSetting(document, setting);
    if (args_.has("--dry-run")) {
        if (args_.json) {
            emit(document);
        } else {
            out_ << "would program " << terminalText(utf8FromLatin1(serial())) << ": ";
            printSetting(setting);
        }
        return kExitDone;
    }
    if (const int status = openClock())
        return status;
    return programAndCheck(setting, std::move(document));
}

int Run::program() {
    PllBoxTexts texts;
    std::array<double, kPllBoxCount> given{};
    for (std::size_t i = 0; i < kPllBoxCount; ++i) {
        const std::string_view text = args_.positional[i];
        const std::optional<double> value = number(text);
        const std::string_view name = kDividerLimits[i].name;
        if (!value || *value != std::floor(*value)) {
            return fail(kExitUsage, std::string(name) + " must be a whole number, not \"" +
                                        std::string(text) + "\"");
        }
        given[i] = *value;
        texts[i] = std::string(text);
    }
    // A value is within its limits exactly when the window's clamp rule leaves it alone.
    clampDividers(texts, kDot);
    std::vector<std::string> changes;
    Json clamped = Json::array();
    std::array<double, kPllBoxCount> values = given;
    for (std::size_t i = 0; i < kPllBoxCount; ++i) {
        const double after = parseNumber(texts[i], kDot).value_or(given[i]);
        if (after == given[i])
            continue;
        const DividerLimit& limit = kDividerLimits[i];
        const std::string from = formatNumber(given[i], kDot);
        const std::string to = formatNumber(after, kDot);
        if (!args_.has("--clamp")) {
            return fail(kExitUsage,
                        std::string(limit.name) + " " + from + " is outside its limits (" +
                            formatNumber(limit.minimum, kDot) + " to " +
                            formatNumber(limit.maximum, kDot) + (limit.mustBeEven ? ", even" : "") +
                            "); --clamp would make it " + to);
        }
        values[i] = after;
        changes.push_back(std::string(limit.name) + " " + from + " -> " + to);
        clamped.push_back(
            {{"register", std::string(limit.name)}, {"from", given[i]}, {"to", after}});
    }

    Setting setting;
    PllSettings& v = setting.values;
    v.gps = static_cast<std::uint32_t>(values[0]);
    v.n31 = static_cast<std::uint32_t>(values[1]);
    v.n2hs = static_cast<std::uint32_t>(values[2]);
    v.n2ls = static_cast<std::uint32_t>(values[3]);
    v.n1hs = static_cast<std::uint32_t>(values[4]);
    v.nc1ls = static_cast<std::uint32_t>(values[5]);
    v.nc2ls = static_cast<std::uint32_t>(values[6]);

    const std::vector<std::string> phases = phaseEntries(formatNumber(v.nc1ls, kDot), kDot);
    if (const auto text = args_.value("--phase")) {
        const std::optional<double> index = number(*text);
        if (!index || *index != std::floor(*index) || *index < 0 ||
            *index >= static_cast<double>(phases.size())) {
            return fail(kExitUsage, "--phase needs a step index from 0 to " +
                                        std::to_string(phases.size() - 1) + ", not \"" +
                                        std::string(*text) + "\"");
        }
        v.phaseIndex = static_cast<std::uint8_t>(*index);
    }
    setting.phaseText = phases[v.phaseIndex];
    std::optional<double> bw;
    if (const auto text = args_.value("--bw")) {
        bw = number(*text);
        if (!bw || *bw != std::floor(*bw) || *bw < 0 || *bw > 255)
            return fail(kExitUsage, "--bw needs a whole number from 0 to 255, not \"" +
                                        std::string(*text) + "\"");
    }

    if (const int status = openClock())
        return status;
    v.bw = static_cast<std::uint8_t>(bw ? *bw : bandwidthCodeForSerial(serial()));
    const std::optional<PllSettingsBytes> bytes = encode(v);
    if (!bytes)
        return fail(kExitUsage, "the setting cannot be encoded");
    setting.bytes = *bytes;
    const double out1 = output1Frequency(pllValuesOf(v));
    setting.out1Text = formatNumber(out1, kDot);
    // NC2_LS is even here, so it is an entry of the window's output-2 list.
    setting.out2Text = formatNumber(out2Value(out1, v.nc1ls, int(v.nc2ls / 2) - 1), kDot);

    for (const std::string& change : changes)
        note("clamped " + change);
    Json document = {{"serial", utf8FromLatin1(serial())}};
    addSetting(document, setting);
    document["clamped"] = std::move(clamped);
    return programAndCheck(setting, std::move(document));
}

}  // namespace tarnwell::ctl
