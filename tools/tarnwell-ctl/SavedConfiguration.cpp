#include "SavedConfiguration.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <unordered_set>

#include "ArgumentNumbers.h"
#include "ClockStrings.h"
#include "TerminalText.h"
#include "hostio/SafeText.h"
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

// How many unknown fields a refusal names.
constexpr std::size_t kUnknownShown = 5;

// Thrown from the parser's callback to stop reading at once.
struct DocumentRefusal {
    std::string reason;
};

// "line 3, column 14" of the byte where the parser stopped, counting from 1; `read` is how many
// bytes it had read.
std::string positionText(std::string_view text, std::size_t read) {
    const std::string_view before = text.substr(0, std::min(read > 0 ? read - 1 : 0, text.size()));
    const auto line = std::ranges::count(before, '\n') + 1;
    const std::size_t lineStart = before.rfind('\n');
    const std::size_t column =
        before.size() - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The parser's own words for what it found, without its prefix and the bytes it quotes.
std::string parserReason(const std::string& what) {
    std::string reason = what;
    if (const auto column = reason.find(", column "); column != std::string::npos)
        reason.erase(0, reason.find(": ", column) + 2);
    reason = reason.substr(0, reason.find("; last read"));
    return printable(reason, 2 * kQuotedPrefix);
}

// The document, or nothing with `refusal` set.
std::optional<Json> parseDocument(std::string_view text, const std::string& source,
                                  std::string& refusal) {
    std::vector<std::unordered_set<std::string>> fieldsOfOpenObjects;
    std::size_t values = 0;
    const auto limits = [&](int depth, Json::parse_event_t event, Json& parsed) {
        using Event = Json::parse_event_t;
        const bool starts = event == Event::object_start || event == Event::array_start;
        if ((starts || event == Event::value) && ++values > kSavedConfigurationValues)
            throw DocumentRefusal{"holds more than " + std::to_string(kSavedConfigurationValues) +
                                  " values"};
        if (starts && depth >= kSavedConfigurationDepth)
            throw DocumentRefusal{"is nested deeper than " +
                                  std::to_string(kSavedConfigurationDepth) + " levels"};
        if (event == Event::object_start)
            fieldsOfOpenObjects.emplace_back();
        if (event == Event::object_end)
            fieldsOfOpenObjects.pop_back();
        if (event == Event::key &&
            !fieldsOfOpenObjects.back().insert(parsed.get<std::string>()).second)
            throw DocumentRefusal{"has the field " + ctl::quoted(parsed.get<std::string>()) +
                                  " twice"};
        return true;
    };
    try {
        return Json::parse(text, limits);
    } catch (const DocumentRefusal& stop) {
        refusal = source + " " + stop.reason;
    } catch (const Json::parse_error& error) {
        refusal = source + ": " + positionText(text, error.byte) +
                  ": not JSON: " + parserReason(error.what());
    } catch (const Json::out_of_range& error) {
        // A number that no double holds (1e400): well-formed JSON, but no value of ours.
        const std::string what = error.what();
        refusal = source + ": " + printable(what.substr(what.find("] ") + 2), 2 * kQuotedPrefix);
    }
    return std::nullopt;
}

std::string kindOf(const Json& document) {
    return document.is_array() ? "an array" : document.is_string() ? "a text" : "a single value";
}

// The whole number in `field`, or a refusal that names it.
std::optional<std::uint32_t> wholeField(const Json& document, const std::string& field,
                                        double lowest, double highest, bool even,
                                        std::string& refusal) {
    const Json& value = document.at(field);
    if (!value.is_number() || value.get<double>() != std::floor(value.get<double>())) {
        refusal = field + " must be a whole number, not " + printable(value.dump());
        return std::nullopt;
    }
    const double v = value.get<double>();
    if (v < lowest || v > highest || (even && std::fmod(v, 2) != 0)) {
        refusal = field + " " + printable(value.dump()) + " is outside its limits (" +
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
        refusal = field + " must be true or false, not " + printable(value.dump());
        return std::nullopt;
    }
    return value.get<bool>();
}

}  // namespace

SavedReading readSavedConfiguration(std::string_view text, const std::string& source) {
    SavedReading reading;
    const std::optional<Json> parsed = parseDocument(text, source, reading.refusal);
    if (!parsed)
        return reading;
    const Json& document = *parsed;
    if (!document.is_object()) {
        reading.refusal = source + " is " + kindOf(document) +
                          ", not a JSON object as tarnwell-ctl show --json writes";
        return reading;
    }
    std::vector<std::string> unknown;
    for (const auto& [field, value] : document.items())
        if (!known(field))
            unknown.push_back(ctl::quoted(field));
    if (!unknown.empty()) {
        const std::size_t more = unknown.size() - std::min(unknown.size(), kUnknownShown);
        unknown.resize(unknown.size() - more);
        reading.refusal = source +
                          " has fields this version does not know (written by a later "
                          "one?): " +
                          joined(unknown, ", ") +
                          (more ? " and " + std::to_string(more) + " more" : "");
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
                  joined({kDriveTexts.begin(), kDriveTexts.end()}, ", ") + ", not " +
                  printable(drive.dump());
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
