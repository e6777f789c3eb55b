#include "JointCommand.h"

#include <optional>

#include "PlanCommand.h"
#include "SettingJson.h"
#include "ToolJson.h"
#include "common/NumberText.h"
#include "planning/JointDividerSearch.h"
#include "planning/PllModel.h"

namespace tarnwell::plan {

namespace {

Json jointSettingJson(const DividerPlan& p, int nc2, int bandwidth) {
    Json setting = settingJson(p, nc2);
    setting["BW"] = bandwidth;
    setting["f3_hz"] = f3Readout(pllValuesOf(p));
    setting["fosc_ghz"] = foscReadoutGHz(pllValuesOf(p));
    return setting;
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
            answer["setting"] = jointSettingJson(joint->plan, joint->nc2, bandwidth);
        } else {
            const JointFallback nearest = nearestOutput2Choices(f, out2);
            answer["setting"] = nullptr;
            answer["out1_setting"] =
                nearest.out1 ? jointSettingJson(*nearest.out1, nearest.out1->nc, bandwidth)
                             : nullptr;
            answer["out2_nearest_below"] = choiceJson(nearest.below);
            answer["out2_nearest_above"] = choiceJson(nearest.above);
        }
        answers.push_back(std::move(answer));
    }
    return jsonText(Json{{"BW", bandwidth}, {"pairs", std::move(answers)}}) + '\n';
}

}  // namespace tarnwell::plan
