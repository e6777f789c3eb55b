#include "SettingChoice.h"

#include <cmath>

#include "planning/ClosestSetting.h"
#include "planning/NearestExact.h"

namespace tarnwell::ctl {

namespace {

// The nearer of the two neighbours; the lower one on a tie, as the smaller change of frequency
// an owner would rather accept is not knowable.
std::optional<ChosenSetting> nearestExact(double hz) {
    const NearestExact found = findNearestExact(hz);
    const ExactNeighbour* pick = found.below ? &*found.below : nullptr;
    if (found.above && (!pick || std::abs(found.above->distanceHz) < std::abs(pick->distanceHz))) {
        pick = &*found.above;
    }
    if (!pick)
        return std::nullopt;
    return ChosenSetting{pick->plan, pick->frequency, false};
}

std::optional<ChosenSetting> closest(double hz) {
    const ClosestResult found = findClosestSetting(hz);
    if (!found.setting)
        return std::nullopt;
    const Fraction& out1 = found.setting->out1;
    return ChosenSetting{
        found.setting->plan,
        static_cast<double>(out1.numerator) / static_cast<double>(out1.denominator),
        found.setting->exact};
}

}  // namespace

std::optional<ChosenSetting> chooseSetting(double hz, InexactChoice choice) {
    const SearchResult search = findDividers(hz);
    if (search.outcome == SearchOutcome::Found && search.plan)
        return ChosenSetting{*search.plan, hz, true};
    switch (choice) {
        case InexactChoice::NearestExact:
            return nearestExact(hz);
        case InexactChoice::Closest:
            return closest(hz);
        case InexactChoice::None:
            break;
    }
    return std::nullopt;
}

}  // namespace tarnwell::ctl
