#include "FuzzTargets.h"

#include <algorithm>
#include <array>

namespace tarnwell::fuzz {

namespace {

constexpr std::array kTargets{
    FuzzTarget{"config_report", fuzzConfigReport},
    FuzzTarget{"input_report", fuzzInputReport},
    FuzzTarget{"report_descriptor", fuzzReportDescriptor},
    FuzzTarget{"number_text", fuzzNumberText},
    FuzzTarget{"divider_clamp", fuzzDividerClamp},
    FuzzTarget{"register_text", fuzzRegisterText},
    FuzzTarget{"pll_settings", fuzzPllSettings},
    FuzzTarget{"divider_search", fuzzDividerSearch},
    FuzzTarget{"saved_configuration", fuzzSavedConfiguration},
    FuzzTarget{"usb_id_settings", fuzzUsbIdSettings},
};

}  // namespace

std::span<const FuzzTarget> fuzzTargets() {
    return kTargets;
}

FuzzEntry fuzzTargetNamed(std::string_view name) {
    const auto found = std::ranges::find(kTargets, name, &FuzzTarget::name);
    return found == kTargets.end() ? nullptr : found->entry;
}

}  // namespace tarnwell::fuzz
