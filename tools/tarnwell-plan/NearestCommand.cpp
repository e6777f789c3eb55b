#include "NearestCommand.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "PlanCommand.h"
#include "SettingEvaluation.h"
#include "SettingJson.h"
#include "ToolJson.h"
#include "common/NumberText.h"
#include "planning/ClosestSetting.h"
#include "planning/NearestExact.h"

namespace tarnwell::plan {

namespace {

std::string number(double v, int significant = 6) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", significant, v);
    return buf;
}

// The setting's fields as the found line prints them, without the frequency and "found".
std::string settingFields(const DividerPlan& plan, int bandwidth) {
    return settingText(plan, plan.nc, bandwidth);
}

std::string out1Decimal(const ClosestSetting& s) {
    return exactDecimal(s.out1.numerator, s.out1.denominator, decimalsToShowError(s.errorHz));
}

// Whole frequencies and their distances are exact; a ratio is a decimal text, as it is rounded.
Json jsonNeighbour(const std::optional<ExactNeighbour>& n) {
    if (!n)
        return nullptr;
    return {{"hz", n->frequency},
            {"diff_hz", n->distanceHz},
            {"diff_ppm", number(n->distancePpm)},
            {"setting", settingJson(n->plan, n->plan.nc)}};
}

Json jsonClosest(const std::optional<ClosestSetting>& s) {
    if (!s)
        return nullptr;
    return {{"setting", settingJson(s->plan, s->plan.nc)},
            {"out1_hz", exactNumber(s->out1.numerator, s->out1.denominator)},
            {"out1_decimal", out1Decimal(*s)},
            {"error_hz", number(s->errorHz, 3)},
            {"error_ppb", number(s->errorPpb, 3)}};
}

}  // namespace

std::string nearestText(std::string_view text, double hz, int bandwidth) {
    const SearchResult exact = findDividers(hz);
    if (exact.outcome == SearchOutcome::Found)
        return planLine(text, exact, bandwidth) + '\n';
    std::string out = std::string(text) + ": not found\n";
    const auto neighbour = [&](const char* side, const std::optional<ExactNeighbour>& n) {
        out += std::string(text) + ": nearest " + side;
        if (!n) {
            out += " none within " + formatNumber(kNearestExactReach * 100) + "%\n";
            return;
        }
        out += " HZ=" + formatNumber(n->frequency) + " DIFF_HZ=" + number(n->distanceHz, 15) +
               " DIFF_PPM=" + number(n->distancePpm) + " " + settingFields(n->plan, bandwidth) +
               '\n';
    };
    if (!isSearchableFrequency(hz)) {
        // Nothing near it can be made: say what can, and offer the end that is nearest.
        const WholeFrequencyRange range = reachableWholeFrequencies();
        out += std::string(text) + ": the clock reaches " + formatNumber(range.lowest) + " to " +
               formatNumber(range.highest) + " Hz\n";
        if (const std::optional<ExactNeighbour> end = reachableEndWithSetting(hz))
            neighbour(end->frequency < hz ? "below" : "above", end);
        return out;
    }
    const NearestExact near = findNearestExact(hz);
    neighbour("below", near.below);
    neighbour("above", near.above);
    const ClosestResult closest = findClosestSetting(hz);
    if (!closest.setting)
        return out + std::string(text) + ": closest none\n";
    const ClosestSetting& s = *closest.setting;
    out += std::string(text) + ": closest " + settingFields(s.plan, bandwidth) +
           " OUT1=" + std::to_string(s.out1.numerator) + "/" + std::to_string(s.out1.denominator) +
           " OUT1_HZ=" + out1Decimal(s) + " ERROR_HZ=" + number(s.errorHz, 3) +
           " ERROR_PPB=" + number(s.errorPpb, 3) + '\n';
    return out;
}

std::string nearestJson(std::span<const std::string_view> texts, std::span<const double> hz,
                        int bandwidth) {
    Json frequencies = Json::array();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const SearchResult exact = findDividers(hz[i]);
        Json answer = {{"input", texts[i]},
                       {"hz", hz[i]},
                       {"exact_setting",
                        exact.plan ? settingJson(*exact.plan, exact.plan->nc) : Json(nullptr)}};
        if (!exact.plan && !isSearchableFrequency(hz[i])) {
            // As the text says: the range, and its end nearest to the frequency.
            const WholeFrequencyRange range = reachableWholeFrequencies();
            const std::optional<ExactNeighbour> end = reachableEndWithSetting(hz[i]);
            const bool below = end && end->frequency < hz[i];
            answer["reachable_hz"] = {{"lowest", range.lowest}, {"highest", range.highest}};
            answer["nearest_below"] = below ? jsonNeighbour(end) : Json(nullptr);
            answer["nearest_above"] = below ? Json(nullptr) : jsonNeighbour(end);
            answer["closest"] = nullptr;
        } else if (!exact.plan) {
            const NearestExact near = findNearestExact(hz[i]);
            answer["nearest_below"] = jsonNeighbour(near.below);
            answer["nearest_above"] = jsonNeighbour(near.above);
            answer["closest"] = jsonClosest(findClosestSetting(hz[i]).setting);
        }
        frequencies.push_back(std::move(answer));
    }
    const Json document = {{"BW", bandwidth},
                           {"reach_percent", kNearestExactReach * 100},
                           {"frequencies", std::move(frequencies)}};
    return jsonText(document) + '\n';
}

namespace {

std::string range(std::int64_t lowest, std::int64_t highest) {
    return std::to_string(lowest) + ".." + std::to_string(highest);
}

std::string limitName(SettingFault f) {
    switch (f) {
        case SettingFault::ReferenceOutOfRange:
            return "GPS outside " + range(kGpsMin, kGpsMax);
        case SettingFault::N31OutOfRange:
            return "N31 outside " + range(kN31Min, kN31Max);
        case SettingFault::N2hsOutOfRange:
            return "N2_HS outside " + range(kN2HsMin, kN2HsMax);
        case SettingFault::N2lsOutOfRange:
            return "N2_LS outside " + range(kLowSpeedDividerMin, kN2LsMax);
        case SettingFault::N2lsOdd:
            return "N2_LS odd";
        case SettingFault::N1hsOutOfRange:
            return "N1_HS outside " + range(kN1HsMin, kN1HsMax);
        case SettingFault::Nc1lsOutOfRange:
            return "NC1_LS outside " + range(kLowSpeedDividerMin, kNcMax);
        case SettingFault::Nc1lsOdd:
            return "NC1_LS odd";
        case SettingFault::Nc2lsOutOfRange:
            return "NC2_LS outside " + range(kLowSpeedDividerMin, kNcMax);
        case SettingFault::Nc2lsOdd:
            return "NC2_LS odd";
    }
    return "?";
}

std::string windowName(WindowFault f) {
    switch (f) {
        case WindowFault::F3BelowWindow:
            return "F3 below window";
        case WindowFault::F3AboveWindow:
            return "F3 above window";
        case WindowFault::FoscBelowWindow:
            return "Fosc below window";
        case WindowFault::FoscAboveWindow:
            return "Fosc above window";
        case WindowFault::ReferenceNotBelowLimit:
            return "GPS not below " + std::to_string(kReferenceLimit);
        case WindowFault::N31AboveLoop:
            return "N31 above F3/" + std::to_string(kN31LoopScale);
        case WindowFault::ReferenceMultipleOf48:
            return "GPS a multiple of " + std::to_string(kPreferredReferenceNotMultipleOf);
        case WindowFault::NcNotMultipleOf3:
            return "NC1_LS not a multiple of " + std::to_string(kPreferredNcMultipleOf);
        case WindowFault::Nc2DiffersFromNc1:
            return "NC2_LS differs from NC1_LS";
    }
    return "?";
}

std::string fractionText(const Fraction& f, int decimals) {
    if (f.denominator == 0)
        return std::to_string(f.numerator) + "/0 (undefined)";
    return std::to_string(f.numerator) + "/" + std::to_string(f.denominator) + " (" +
           exactDecimal(f.numerator, f.denominator, decimals) + ")";
}

}  // namespace

int runDividers(std::span<const std::string_view> values, std::ostream& out, std::ostream& err) {
    constexpr int kRefused = 2;
    std::array<std::int64_t, 7> v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        const std::string_view t = values[i];
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v[i]);
        if (ec != std::errc{} || end != t.data() + t.size() || v[i] < 0 || v[i] > (1LL << 40)) {
            err << "tarnwell-plan: --dividers needs seven whole numbers GPS N31 N2_HS N2_LS "
                   "N1_HS NC1_LS NC2_LS; \""
                << t << "\" is not one\n";
            return kRefused;
        }
    }
    const SettingEvaluation e = evaluateSetting({v[0], v[1], v[2], v[3], v[4], v[5], v[6]});
    out << "OUT1=" << fractionText(e.out1, 6) << "\nOUT2=" << fractionText(e.out2, 6)
        << "\nF3=" << fractionText(e.f3, 3) << "\nFosc=" << fractionText(e.fosc, 3) << '\n';
    out << "LIMITS=";
    if (e.limitFaults.empty())
        out << "ok";
    for (std::size_t i = 0; i < e.limitFaults.size(); ++i)
        out << (i ? ", " : "") << limitName(e.limitFaults[i]);
    out << '\n';
    std::string accepted = "none";
    for (auto it = e.passes.rbegin(); it != e.passes.rend(); ++it) {
        const char* name = it->pass == SearchPass::Preferred ? "preferred" : "wide";
        out << (it->pass == SearchPass::Preferred ? "PREFERRED=" : "WIDE=");
        if (it->faults.empty() && e.limitFaults.empty())
            accepted = name;
        if (it->faults.empty())
            out << "ok";
        for (std::size_t i = 0; i < it->faults.size(); ++i)
            out << (i ? ", " : "") << windowName(it->faults[i]);
        out << '\n';
    }
    out << "ACCEPTED=" << accepted << '\n';
    return 0;
}

}  // namespace tarnwell::plan
