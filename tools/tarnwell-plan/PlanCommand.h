#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "planning/DividerSearch.h"

namespace tarnwell::plan {

// One answer line without its newline: "<frequency text>: found preferred GPS=... Fosc=5.28" or
// "<frequency text>: not found". The frequency is echoed exactly as it was given.
std::string planLine(std::string_view frequencyText, const SearchResult& result, int bandwidth);

// A setting's fields as the found line prints them: "preferred GPS=... Fosc=5.28".
std::string settingText(const DividerPlan& plan, int nc2, int bandwidth);

// The whole program: answers every frequency argument on `out` in argument order, complains about
// the others on `err`, and returns the exit status (0, or 2 when any argument was refused).
int runPlan(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace tarnwell::plan
