#pragma once

#include "planning/ClosestSetting.h"

namespace tarnwell::reference {

// Every setting of the space, one by one: pass, N31, reference, N2_HS, N2_LS, N1_HS, NC. The
// nearest to f wins; equal errors go to the preferred pass's rules, then the search's order, then
// the lower frequency. Only for spaces small enough to walk.
std::optional<ClosestSetting> closestByEnumeration(const SettingSpace& space, double f,
                                                   bool excludeF);

}  // namespace tarnwell::reference
