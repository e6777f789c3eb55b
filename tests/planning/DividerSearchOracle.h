#pragma once

#include "planning/DividerSearch.h"

namespace tarnwell::reference {

// The two-pass divider enumeration written out step by step, with nothing skipped: every loop
// bound, every candidate, every test on doubles in the order the window's loops take them. The
// fast search must give exactly its answer. Slow: seconds for a frequency without a solution.
SearchResult enumerateDividersLiterally(double out1Frequency);

}  // namespace tarnwell::reference
