#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace tarnwell::plan {

// --nearest: for a frequency without an exact setting, lines for the nearest exact frequencies
// below and above and for the closest setting; a frequency with one gets the usual found line.
std::string nearestText(std::string_view frequencyText, double hz, int bandwidth);

// --nearest --json: the same facts for every frequency, one JSON document.
std::string nearestJson(std::span<const std::string_view> texts, std::span<const double> hz,
                        int bandwidth);

// --dividers GPS N31 N2_HS N2_LS N1_HS NC1_LS NC2_LS: what the setting makes and what it breaks.
// Returns the exit status (2 when the seven numbers are not whole numbers).
int runDividers(std::span<const std::string_view> values, std::ostream& out, std::ostream& err);

}  // namespace tarnwell::plan
