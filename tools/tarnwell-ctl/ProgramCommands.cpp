// set (search, then program) and program (given values).

#include <algorithm>
#include <cmath>

#include "ArgumentNumbers.h"
#include "Commands.h"
#include "ProgrammingSteps.h"
#include "SettingChoice.h"
#include "TerminalText.h"
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

int setCommand(CommandContext& c) {
    const std::string_view hzText = c.arguments[0];
    const std::optional<double> hz = number(hzText);
    if (!hz || *hz < kLowestWantedFrequency) {
        return c.fail(kExitUsage, quoted(hzText) + " is not a frequency in Hz of at least " +
                                      formatNumber(kLowestWantedFrequency, kDot));
    }
    const std::optional<GivenNumber>& out2Wanted = c.options.out2Hz;
    const std::optional<GivenNumber>& phaseWanted = c.options.phaseDegrees;
    if (c.options.nearest && c.options.closest)
        return c.fail(kExitUsage, "--nearest and --closest exclude each other");
    const InexactChoice inexact = c.options.nearest   ? InexactChoice::NearestExact
                                  : c.options.closest ? InexactChoice::Closest
                                                      : InexactChoice::None;
    const std::optional<ChosenSetting> chosen = chooseSetting(*hz, inexact);
    if (!chosen) {
        return c.fail(kExitNoExactSetting,
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
        const std::string wanted = formatNumber(out2Wanted->value, kDot);
        const auto found = std::find(out2Choices.begin(), out2Choices.end(), wanted);
        if (found != out2Choices.end()) {
            out2Index = static_cast<int>(found - out2Choices.begin());
        } else if (!chosen->exact) {
            return c.fail(kExitUsage, "output 2 cannot be " + out2Wanted->text +
                                          " Hz with this setting; nearest choices: " +
                                          joined(nearest(out2Choices, out2Wanted->value)));
        } else {
            // Not among the window's choices: the search for both outputs at once.
            const std::optional<JointPlan> joint = findJointDividers(*hz, out2Wanted->value);
            if (!joint)
                return c.fail(kExitNoExactSetting,
                              noJointSettingText(hzText, *hz, out2Wanted->value));
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
            return c.fail(kExitUsage,
                          "--phase needs output 2 equal to output 1; the window offers no phase "
                          "shift otherwise");
        }
        const std::string wanted = formatNumber(phaseWanted->value, kDot);
        const auto found = std::find(phases.begin(), phases.end(), wanted);
        if (found == phases.end()) {
            return c.fail(kExitUsage, "no phase shift of " + phaseWanted->text +
                                          " degrees; nearest choices: " +
                                          joined(nearest(phases, phaseWanted->value)));
        }
        phaseIndex = static_cast<std::size_t>(found - phases.begin());
    }
    setting.phaseText = phases[phaseIndex];

    if (const int status = c.resolveSerial())
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
    v.bw = static_cast<std::uint8_t>(bandwidthCodeForSerial(c.session.serial()));
    const std::optional<PllSettingsBytes> bytes = encode(v);
    if (!bytes)
        return c.fail(kExitUsage, "the setting cannot be encoded");
    setting.bytes = *bytes;

    Json document = {
        {"serial", c.serial()}, {"dry_run", c.options.dryRun}, {"exact", chosen->exact}};
    addSetting(document, setting);
    if (c.options.dryRun) {
        c.writer.write(document,
                       "would program " + terminalText(c.serial()) + ": " + settingText(setting));
        return kExitDone;
    }
    if (const int status = c.openClock())
        return status;
    return programAndCheck(c, setting, std::move(document));
}

int programCommand(CommandContext& c) {
    PllBoxTexts texts;
    std::array<double, kPllBoxCount> given{};
    for (std::size_t i = 0; i < kPllBoxCount; ++i) {
        const std::string_view text = c.arguments[i];
        const std::optional<double> value = number(text);
        const std::string_view name = kDividerLimits[i].name;
        if (!value || *value != std::floor(*value)) {
            return c.fail(kExitUsage,
                          std::string(name) + " must be a whole number, not " + ctl::quoted(text));
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
        if (!c.options.clamp) {
            return c.fail(
                kExitUsage,
                std::string(limit.name) + " " + from + " is outside its limits (" +
                    formatNumber(limit.minimum, kDot) + " to " + formatNumber(limit.maximum, kDot) +
                    (limit.mustBeEven ? ", even" : "") + "); --clamp would make it " + to);
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
    if (const auto& text = c.options.phaseStep) {
        const std::optional<double> index = number(*text);
        if (!index || *index != std::floor(*index) || *index < 0 ||
            *index >= static_cast<double>(phases.size())) {
            return c.fail(kExitUsage, "--phase needs a step index from 0 to " +
                                          std::to_string(phases.size() - 1) + ", not " +
                                          ctl::quoted(*text));
        }
        v.phaseIndex = static_cast<std::uint8_t>(*index);
    }
    setting.phaseText = phases[v.phaseIndex];
    if (const int status = c.openClock())
        return status;
    v.bw = static_cast<std::uint8_t>(
        c.options.bw.value_or(bandwidthCodeForSerial(c.session.serial())));
    const std::optional<PllSettingsBytes> bytes = encode(v);
    if (!bytes)
        return c.fail(kExitUsage, "the setting cannot be encoded");
    setting.bytes = *bytes;
    const double out1 = output1Frequency(pllValuesOf(v));
    setting.out1Text = formatNumber(out1, kDot);
    // NC2_LS is even here, so it is an entry of the window's output-2 list.
    setting.out2Text = formatNumber(out2Value(out1, v.nc1ls, int(v.nc2ls / 2) - 1), kDot);

    for (const std::string& change : changes)
        c.writer.note("clamped " + change);
    Json document = {{"serial", c.serial()}};
    addSetting(document, setting);
    document["clamped"] = std::move(clamped);
    return programAndCheck(c, setting, std::move(document));
}

}  // namespace tarnwell::ctl
