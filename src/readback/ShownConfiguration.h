#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/NumberText.h"
#include "readback/ConfigReport.h"

namespace tarnwell {

// A configuration read from a clock as the window shows it; tarnwell-ctl's show prints the same.
struct ShownConfiguration {
    std::string out1Text;     // output 1 in Hz, as Out1Freq shows it
    double f3Hz = 0;          // the F3 readout: whole Hz, cut
    double foscGHz = 0;       // the Fosc readout: GHz cut to four decimals
    std::string f3Caption;    // "F3 = ... Hz "
    std::string foscCaption;  // "Fosc = ... GHz "
    // Output 2's list, built from the output-1 text as shown so that the entry equal to output 1
    // reads the same, and the entry NC2_LS selects (-1: none, the list is empty).
    std::vector<std::string> out2Texts;
    int out2Selected = -1;
    // NC2_LS once the list's selection has rewritten it to the divider of the entry shown.
    double nc2Shown = 0;
    std::vector<std::string> phaseTexts;  // for NC1_LS
    int phaseSelected = 0;  // the clock's phase step, or the first entry when it lies beyond
    std::string_view driveText;

    std::optional<std::string> selectedOut2() const;
    std::optional<std::string> selectedPhase() const;
};

ShownConfiguration shownConfiguration(const DeviceConfiguration& configuration,
                                      const NumberLocale& locale);

}  // namespace tarnwell
