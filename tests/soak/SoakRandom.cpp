#include "SoakRandom.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string_view>

#include "common/NumberText.h"

namespace tarnwell::soak {

namespace {

constexpr std::array<std::string_view, 24> kOddTexts = {"",
                                                        " ",
                                                        "abc",
                                                        "1e309",
                                                        "-0",
                                                        "NaN",
                                                        "Infinity",
                                                        "1,5",
                                                        "0x10",
                                                        "1e-400",
                                                        "+",
                                                        ".",
                                                        "1E+15",
                                                        "4.94065645841247E-324",
                                                        "1.79769313486232E+308",
                                                        "   12  ",
                                                        "\t7",
                                                        "1 000",
                                                        "12a",
                                                        "--1",
                                                        "\xd9\xa3",
                                                        "\xef\xbc\x91\xef\xbc\x92",
                                                        "5.",
                                                        "1e2"};

constexpr std::string_view kJunkCharacters = "0123456789.,-+eE x";

}  // namespace

std::string SoakRandom::boxText(double low, double high) {
    switch (below(6)) {
        case 0: {  // a whole number in the range or just outside it
            const double span = high - low;
            const double value = std::round(low - 0.1 * span + unit() * 1.2 * span);
            return formatNumber(value);
        }
        case 1: {  // a fraction, often an exact half
            const double whole = std::round(low + unit() * (high - low));
            const double fraction = chance(0.5) ? 0.5 : std::round(unit() * 100) / 100;
            return formatNumber(whole + fraction);
        }
        case 2:
            return std::string(kOddTexts[below(kOddTexts.size())]);
        case 3: {
            std::string junk;
            for (std::size_t n = below(12); n > 0; --n)
                junk += kJunkCharacters[below(kJunkCharacters.size())];
            return junk;
        }
        case 4: {  // any double at all
            const std::uint64_t bits = engine_();
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            return formatNumber(value);
        }
        default:
            return std::string(std::size_t{1} + below(400), '9');
    }
}

}  // namespace tarnwell::soak
