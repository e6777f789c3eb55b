#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tarnwell::plan {

// --out2: the setting that makes output 1 run at hz and output 2 at out2, or, when none does,
// output 1's own setting with the output-2 frequencies nearest to out2.
std::string jointText(std::string_view frequencyText, double hz, std::string_view out2Text,
                      double out2, int bandwidth);

// --out2 --json: the same facts for every frequency, one JSON document.
std::string jointJson(std::span<const double> hz, double out2, int bandwidth);

}  // namespace tarnwell::plan
