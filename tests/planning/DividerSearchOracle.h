#pragma once

#include <optional>

#include "planning/DividerSearch.h"
#include "planning/JointDividerSearch.h"

namespace tarnwell::reference {

// The two-pass divider enumeration written out step by step, with nothing skipped: every loop
// bound, every candidate, every test on doubles in the order the window's loops take them. The
// fast search must give exactly its answer. Slow: seconds for a frequency without a solution.
SearchResult enumerateDividersLiterally(double out1Frequency);

// The same enumeration with one more rule on each NC: output 2 must reach f2 with an even NC2_LS
// within its limits, f1 x NC = f2 x NC2_LS in doubles.
std::optional<JointPlan> enumerateJointDividersLiterally(double f1, double f2);

}  // namespace tarnwell::reference
