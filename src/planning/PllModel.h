#pragma once

#include <string>
#include <string_view>

#include "common/NumberText.h"

namespace tarnwell {

// Output 1 in Hz: GPS / N31 x N2_LS x N2_HS / N1_HS / NC1_LS, in exactly this order of operations.
double output1Frequency(double gps, double n31, double n2ls, double n2hs, double n1hs,
                        double nc1ls);

// F3 in whole Hz, truncated: Int(GPS / N31).
double f3Readout(double gps, double n31);

// Fosc in GHz truncated to four decimals: Int(GPS / N31 x N2_HS x N2_LS / 100000) / 10000.
double foscReadoutGHz(double gps, double n31, double n2hs, double n2ls);

// "F3 = <whole Hz, truncated> Hz " (the trailing blank belongs to the caption).
std::string f3Caption(double gps, double n31, NumberLocale locale = {});

// "Fosc = <GHz truncated to four decimals> GHz ", from GPS / N31 x N2_HS x N2_LS.
std::string foscCaption(double gps, double n31, double n2hs, double n2ls, NumberLocale locale = {});

// 6 when the serial number's second character is '1', '3' or '5', otherwise 15.
int bandwidthCodeForSerial(std::string_view serial);

}  // namespace tarnwell
