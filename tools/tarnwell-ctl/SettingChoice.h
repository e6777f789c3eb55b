#pragma once

#include <optional>

#include "planning/DividerSearch.h"

namespace tarnwell::ctl {

// What set programs for a frequency without an exact setting: nothing (the default), the nearest
// whole frequency that has one, or the setting whose output 1 comes closest.
enum class InexactChoice { None, NearestExact, Closest };

struct ChosenSetting {
    DividerPlan plan;
    double out1 = 0;    // the output-1 frequency the setting makes
    bool exact = true;  // false: out1 differs from the frequency asked for
};

// The search's own answer when it finds one; otherwise what `choice` asks for, or nothing.
std::optional<ChosenSetting> chooseSetting(double hz, InexactChoice choice);

}  // namespace tarnwell::ctl
