#pragma once

// The command line's numbers: a dot for decimals whatever the locale.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/NumberText.h"

namespace tarnwell::ctl {

inline const NumberLocale kDot{'.'};
// How many of the nearest choices a refusal lists.
inline constexpr std::size_t kNearestShown = 4;

// A finite number, and seconds as a duration (up to a year).
std::optional<double> number(std::string_view text);
std::optional<std::chrono::milliseconds> seconds(std::string_view text);
// A duration as help and messages write it: "1.5 s".
std::string secondsText(std::chrono::milliseconds span);
// The texts whose numbers lie nearest to the wanted one, nearest first, at most kNearestShown.
std::vector<std::string> nearest(const std::vector<std::string>& texts, double wanted);

}  // namespace tarnwell::ctl
