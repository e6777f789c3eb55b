#include "readback/ShownConfiguration.h"

#include <cstddef>

#include "planning/Output2List.h"
#include "planning/PhaseList.h"
#include "planning/PllModel.h"
#include "readback/DriveStrengthTexts.h"

namespace tarnwell {

namespace {

std::optional<std::string> entry(const std::vector<std::string>& texts, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= texts.size())
        return std::nullopt;
    return texts[static_cast<std::size_t>(index)];
}

}  // namespace

std::optional<std::string> ShownConfiguration::selectedOut2() const {
    return entry(out2Texts, out2Selected);
}

std::optional<std::string> ShownConfiguration::selectedPhase() const {
    return entry(phaseTexts, phaseSelected);
}

ShownConfiguration shownConfiguration(const DeviceConfiguration& configuration,
                                      const NumberLocale& locale) {
    const PllSettings& pll = configuration.pll;
    const PllBoxValues values = pllValuesOf(pll);
    ShownConfiguration shown;
    shown.out1Text = formatNumber(output1Frequency(values), locale);
    shown.f3Hz = f3Readout(values);
    shown.foscGHz = foscReadoutGHz(values);
    shown.f3Caption = f3Caption(values, locale);
    shown.foscCaption = foscCaption(values, locale);

    const double out1 = parseNumber(shown.out1Text, locale).value_or(0);
    const int entries = out2ReadbackLastIndex(pll.nc2ls) + 1;
    shown.nc2Shown = pll.nc2ls;
    if (entries > 0) {
        shown.out2Texts = out2Texts(out1, pll.nc1ls, 0, entries, locale);
        shown.out2Selected = out2SelectionIndex(pll.nc2ls, entries);
        shown.nc2Shown = out2DividerForIndex(shown.out2Selected);
    }

    shown.phaseTexts = phaseEntries(formatNumber(pll.nc1ls, locale), locale);
    shown.phaseSelected = pll.phaseIndex < shown.phaseTexts.size() ? pll.phaseIndex : 0;
    shown.driveText = kDriveStrengthTexts[static_cast<std::size_t>(configuration.driveIndex)];
    return shown;
}

}  // namespace tarnwell
