#include "SettingJson.h"

namespace tarnwell::plan {

Json settingJson(const DividerPlan& plan, int nc2) {
    return {{"pass", plan.pass == SearchPass::Preferred ? "preferred" : "wide"},
            {"GPS", plan.reference},
            {"N31", plan.n31},
            {"N2_HS", plan.n2hs},
            {"N2_LS", plan.n2ls},
            {"N1_HS", plan.n1hs},
            {"NC1_LS", plan.nc},
            {"NC2_LS", nc2}};
}

}  // namespace tarnwell::plan
