#pragma once

#include <string>
#include <string_view>

#include "common/NumberText.h"
#include "planning/PllSettings.h"

namespace tarnwell {

// The readouts use only the fields they name; the others may hold anything.

// Output 1 in Hz: GPS / N31 x N2_LS x N2_HS / N1_HS / NC1_LS, in exactly this order of operations.
double output1Frequency(const PllBoxValues& pll);

// F3 in whole Hz, truncated: Int(GPS / N31).
double f3Readout(const PllBoxValues& pll);

// Fosc in GHz truncated to four decimals: Int(GPS / N31 x N2_HS x N2_LS / 100000) / 10000.
double foscReadoutGHz(const PllBoxValues& pll);

// "F3 = <whole Hz, truncated> Hz " (the trailing blank belongs to the caption).
std::string f3Caption(const PllBoxValues& pll, const NumberLocale& locale = {});

// "Fosc = <GHz truncated to four decimals> GHz ", from GPS / N31 x N2_HS x N2_LS.
std::string foscCaption(const PllBoxValues& pll, const NumberLocale& locale = {});

// 6 when the serial number's second character is '1', '3' or '5', otherwise 15.
int bandwidthCodeForSerial(std::string_view serial);

}  // namespace tarnwell
