#include "JointCommand.h"

#include <optional>

#include "PlanCommand.h"
#include "ToolJson.h"
#include "common/NumberText.h"
#include "planning/JointDividerSearch.h"
#include "planning/PllModel.h"

namespace tarnwell::plan {

namespace {

Json settingJson(const DividerPlan& p, int nc2, int bandwidth) {
    return {{"pass", p.pass == SearchPass::Preferred ? "preferred" : "wide"},
            {"GPS", p.reference},
            {"N31", p.n31},
            {"N2_HS", p.n2hs},
            {"N2_LS", p.n2ls},
            {"N1_HS", p.n1hs},
            {"NC1_LS", p.nc},
            {"NC2_LS", nc2},
            {"BW", bandwidth},
            {"f3_hz", f3Readout(pllValuesOf(p))},
            {"fosc_ghz", foscReadoutGHz(pllValuesOf(p))}};
}

Json choiceJson(const std::optional<Output2Choice>& c) {
    if (!c)
        return nullptr;
    return {{"out2_hz", c->frequency},
            {"NC2_LS", c->nc2},
            {"diff_hz", c->errorHz},
            {"diff_ppm", c->errorPpm}};
}

std::string choiceText(const Output2Choice& c) {
    return "OUT2=" + formatNumber(c.frequency) + " NC2_LS=" + std::to_string(c.nc2) +
           " DIFF_HZ=" + formatNumber(c.errorHz) + " DIFF_PPM=" + formatNumber(c.errorPpm);
}

}  // namespace

std::string jointText(std::string_view frequencyText, double hz, std::string_view out2Text,
                      double out2, int bandwidth) {
    const std::string head =
        std::string(frequencyText) + " with out2 " + std::string(out2Text) + ": ";
    if (const std::optional<JointPlan> joint = findJointDividers(hz, out2))
        return head + "found " + settingText(joint->plan, joint->nc2, bandwidth) + '\n';
    std::string out = head + "not found: no setting makes both exactly\n";
    const JointFallback nearest = nearestOutput2Choices(hz, out2);
    if (!nearest.out1)
        return out + head + "output 1 alone not found either (see --nearest)\n";
    out +=
        head + "output 1 found " + settingText(*nearest.out1, nearest.out1->nc, bandwidth) + '\n';
    if (nearest.below)
        out += head + "out2 nearest below " + choiceText(*nearest.below) + '\n';
    if (nearest.above)
        out += head + "out2 nearest above " + choiceText(*nearest.above) + '\n';
    return out;
}

std::string jointJson(std::span<const double> hz, double out2, int bandwidth) {
    Json answers = Json::array();
    for (const double f : hz) {
        Json answer = {{"out1_hz", f}, {"out2_hz", out2}};
        if (const std::optional<JointPlan> joint = findJointDividers(f, out2)) {
            answer["setting"] = settingJson(joint->plan, joint->nc2, bandwidth);
        } else {
            const JointFallback nearest = nearestOutput2Choices(f, out2);
            answer["setting"] = nullptr;
            answer["out1_setting"] =
                nearest.out1 ? settingJson(*nearest.out1, nearest.out1->nc, bandwidth) : nullptr;
            answer["out2_nearest_below"] = choiceJson(nearest.below);
            answer["out2_nearest_above"] = choiceJson(nearest.above);
        }
        answers.push_back(std::move(answer));
    }
    return jsonText(Json{{"BW", bandwidth}, {"pairs", std::move(answers)}}) + '\n';
}

}  // namespace tarnwell::plan
