#include "planning/PllModel.h"

namespace tarnwell {

double output1Frequency(const PllBoxValues& pll) {
    return pll.gps / pll.n31 * pll.n2ls * pll.n2hs / pll.n1hs / pll.nc1ls;
}

double f3Readout(const PllBoxValues& pll) {
    return intPart(pll.gps / pll.n31);
}

double foscReadoutGHz(const PllBoxValues& pll) {
    // Cut, not rounded, to 100 kHz so the readout never claims more than the oscillator reaches.
    return intPart(pll.gps / pll.n31 * pll.n2hs * pll.n2ls / 100000) / 10000;
}

std::string f3Caption(const PllBoxValues& pll, const NumberLocale& locale) {
    return "F3 = " + formatNumber(f3Readout(pll), locale) + " Hz ";
}

std::string foscCaption(const PllBoxValues& pll, const NumberLocale& locale) {
    return "Fosc = " + formatNumber(foscReadoutGHz(pll), locale) + " GHz ";
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
