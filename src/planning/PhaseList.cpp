#include "planning/PhaseList.h"

#include <algorithm>

namespace tarnwell {

std::vector<std::string> phaseEntries(std::string_view nc1Text, const NumberLocale& locale) {
    const std::optional<double> nc1 = parseNumber(nc1Text, locale);
    if (!nc1)
        return {};

    const double steps = roundHalfEven(*nc1);
    // A divider below one has no phase steps to offer beyond the unshifted output.
    if (steps <= 0)
        return {formatNumber(0, locale)};

    const int lastStep =
        static_cast<int>(std::clamp(roundHalfEven(*nc1 - 1), 0.0, kMaxPhaseEntries - 1.0));
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(lastStep) + 1);
    for (int i = 0; i <= lastStep; ++i) {
        const double hundredths = roundHalfUp(i * 36000.0 / steps);
        entries.push_back(formatNumber(hundredths / 100, locale));
    }
    return entries;
}

}  // namespace tarnwell
