#include "SavedConfiguration.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "CtlText.h"
#include "planning/DividerLimits.h"
#include "planning/PhaseList.h"

namespace tarnwell::ctl {

namespace {

// What show writes besides the programmed fields: read for the serial check or ignored, since the
// clock derives them.
constexpr std::array<std::string_view, 9> kDescriptiveFields = {
    "serial",  "manufacturer", "product", "firmware", "phase_degrees",
    "out1_hz", "f3_hz",        "fosc_hz", "out2_hz"};
constexpr std::array<std::string_view, 5> kProgrammedFields = {
    "out1_enabled", "out2_enabled", "drive_strength", "phase_index", "BW"};

bool known(const std::string& field) {
    const auto in = [&field](const auto& names) {
        return std::ranges::find(names, field) != names.end();
    };
    return in(kDescriptiveFields) || in(kProgrammedFields) ||
           std::ranges::any_of(kDividerLimits,
                               [&field](const DividerLimit& l) { return l.name == field; });
}

// The whole number in `field`, or a refusal that names it.
std::optional<std::uint32_t> wholeField(const Json& document, const std::string& field,
                                        double lowest, double highest, bool even,
                                        std::string& refusal) {
    const Json& value = document.at(field);
    if (!value.is_number() || value.get<double>() != std::floor(value.get<double>())) {
        refusal = field + " must be a whole number, not " + value.dump();
        return std::nullopt;
    }
    const double v = value.get<double>();
    if (v < lowest || v > highest || (even && std::fmod(v, 2) != 0)) {
        refusal = field + " " + value.dump() + " is outside its limits (" +
                  formatNumber(lowest, kDot) + " to " + formatNumber(highest, kDot) +
                  (even ? ", even)" : ")");
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(v);
}

std::optional<bool> flagField(const Json& document, const std::string& field,
                              std::string& refusal) {
    const Json& value = document.at(field);
    if (!value.is_boolean()) {
        refusal = field + " must be true or false, not " + value.dump();
        return std::nullopt;
    }
    return value.get<bool>();
}

}  // namespace

SavedReading readSavedConfiguration(std::string_view text, const std::string& source) {
    SavedReading reading;
    const Json document = Json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.is_object()) {
        reading.refusal = source + " is not a JSON object as tarnwell-ctl show --json writes";
        return reading;
    }
    std::vector<std::string> unknown;
    for (const auto& [field, value] : document.items())
        if (!known(field))
            unknown.push_back(field);
    if (!unknown.empty()) {
        reading.refusal = source +
                          " has fields this version does not know (written by a later "
                          "one?): " +
                          joined(unknown, ", ");
        return reading;
    }
    std::vector<std::string> required(kProgrammedFields.begin(), kProgrammedFields.end());
    required.push_back("serial");
    for (const DividerLimit& limit : kDividerLimits)
        required.emplace_back(limit.name);
    for (const std::string& field : required) {
        if (!document.contains(field)) {
            reading.refusal = source + " has no field " + field;
            return reading;
        }
    }
    if (!document.at("serial").is_string()) {
        reading.refusal = source + ": serial must be a text";
        return reading;
    }

    SavedConfiguration saved;
    saved.serial = document.at("serial").get<std::string>();
    std::string& refusal = reading.refusal;
    std::array<std::uint32_t, kPllBoxCount> dividers{};
    for (std::size_t i = 0; i < kPllBoxCount; ++i) {
        const DividerLimit& limit = kDividerLimits[i];
        const auto value = wholeField(document, std::string(limit.name), limit.minimum,
                                      limit.maximum, limit.mustBeEven, refusal);
        if (!value)
            return {std::nullopt, source + ": " + refusal};
        dividers[i] = *value;
    }
    PllSettings& pll = saved.configuration.pll;
    pll = {dividers[0], dividers[1], dividers[2],
           dividers[3], dividers[4], dividers[5],
           dividers[6], 0,           0};
    const double phases = std::min<double>(pll.nc1ls, kMaxPhaseEntries);
    const auto phase = wholeField(document, "phase_index", 0, phases - 1, false, refusal);
    const auto bw = wholeField(document, "BW", 0, 255, false, refusal);
    const auto out1 = flagField(document, "out1_enabled", refusal);
    const auto out2 = flagField(document, "out2_enabled", refusal);
    const Json& drive = document.at("drive_strength");
    const auto driveText = std::ranges::find(
        kDriveTexts, drive.is_string() ? drive.get<std::string>() : std::string());
    if (driveText == kDriveTexts.end() && refusal.empty())
        refusal = "drive_strength must be one of " +
                  joined({kDriveTexts.begin(), kDriveTexts.end()}, ", ") + ", not " + drive.dump();
    if (!refusal.empty())
        return {std::nullopt, source + ": " + refusal};
    pll.phaseIndex = static_cast<std::uint8_t>(*phase);
    pll.bw = static_cast<std::uint8_t>(*bw);
    saved.configuration.output1Enabled = *out1;
    saved.configuration.output2Enabled = *out2;
    saved.configuration.driveIndex = static_cast<int>(driveText - kDriveTexts.begin());
    reading.saved = std::move(saved);
    return reading;
}

std::vector<std::string> configurationDifferences(const DeviceConfiguration& file,
                                                  const DeviceConfiguration& clock) {
    std::vector<std::string> differences;
    const auto compare = [&differences](std::string_view field, const std::string& a,
                                        const std::string& b) {
        if (a != b)
            differences.push_back(std::string(field) + ": file " + a + ", clock " + b);
    };
    const auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    const auto drive = [](int index) {
        return std::string(kDriveTexts[static_cast<std::size_t>(index)]);
    };
    compare("out1_enabled", flag(file.output1Enabled), flag(clock.output1Enabled));
    compare("out2_enabled", flag(file.output2Enabled), flag(clock.output2Enabled));
    compare("drive_strength", drive(file.driveIndex), drive(clock.driveIndex));
    const PllSettings& a = file.pll;
    const PllSettings& b = clock.pll;
    const std::array<std::pair<std::uint32_t, std::uint32_t>, kPllBoxCount> dividers = {
        {{a.gps, b.gps},
         {a.n31, b.n31},
         {a.n2hs, b.n2hs},
         {a.n2ls, b.n2ls},
         {a.n1hs, b.n1hs},
         {a.nc1ls, b.nc1ls},
         {a.nc2ls, b.nc2ls}}};
    for (std::size_t i = 0; i < kPllBoxCount; ++i)
        compare(kDividerLimits[i].name, std::to_string(dividers[i].first),
                std::to_string(dividers[i].second));
    compare("phase_index", std::to_string(a.phaseIndex), std::to_string(b.phaseIndex));
    compare("BW", std::to_string(a.bw), std::to_string(b.bw));
    return differences;
}

}  // namespace tarnwell::ctl
