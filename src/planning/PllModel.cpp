#include "planning/PllModel.h"

namespace tarnwell {

double output1Frequency(double gps, double n31, double n2ls, double n2hs, double n1hs,
                        double nc1ls) {
    return gps / n31 * n2ls * n2hs / n1hs / nc1ls;
}

double f3Readout(double gps, double n31) {
    return intPart(gps / n31);
}

double foscReadoutGHz(double gps, double n31, double n2hs, double n2ls) {
    // Cut, not rounded, to 100 kHz so the readout never claims more than the oscillator reaches.
    return intPart(gps / n31 * n2hs * n2ls / 100000) / 10000;
}

std::string f3Caption(double gps, double n31, NumberLocale locale) {
    return "F3 = " + formatNumber(f3Readout(gps, n31), locale) + " Hz ";
}

std::string foscCaption(double gps, double n31, double n2hs, double n2ls, NumberLocale locale) {
    return "Fosc = " + formatNumber(foscReadoutGHz(gps, n31, n2hs, n2ls), locale) + " GHz ";
}

int bandwidthCodeForSerial(std::string_view serial) {
    constexpr int kNarrowBandwidth = 6;
    constexpr int kWideBandwidth = 15;
    // Serial numbers arrive as UTF-8: step over every byte of the first character.
    std::size_t second = 1;
    while (second < serial.size() && (static_cast<unsigned char>(serial[second]) & 0xC0) == 0x80)
        ++second;
    if (second >= serial.size())
        return kWideBandwidth;
    const char c = serial[second];
    return c == '1' || c == '3' || c == '5' ? kNarrowBandwidth : kWideBandwidth;
}

}  // namespace tarnwell
