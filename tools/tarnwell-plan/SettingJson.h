#pragma once

#include "ToolJson.h"
#include "planning/DividerSearch.h"

namespace tarnwell::plan {

// A setting in the JSON: the pass that found it and the dividers under the clock's register
// names, with output 2's divider given apart (it differs from NC1_LS only for two outputs).
Json settingJson(const DividerPlan& plan, int nc2);

}  // namespace tarnwell::plan
