#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tarnwell {

// The decimal separator used both to write numbers into text boxes and to read them back, so
// that whatever the tool writes it can always read again; and the digit-group separator a person
// may type (UTF-8, empty for none), which the tool itself never writes into a box.
struct NumberLocale {
    NumberLocale() = default;
    NumberLocale(char point, std::string group = {})
        : decimalPoint(point), groupSeparator(std::move(group)) {}
    char decimalPoint = '.';
    std::string groupSeparator;
};

// General number form: at most 15 significant digits, no grouping, no trailing zeros, no decimal
// point for a whole number (10000000, 76666666.6666667, 5.28). Magnitudes from 1E-05 down and
// 1E+15 up use the exponent form "1.5E+20".
std::string formatNumber(double value, const NumberLocale& locale = {});

// A whole number in the general form with the locale's digit grouping ("10,000,000"), for texts
// that show a person what to type.
std::string formatGrouped(double value, const NumberLocale& locale);

// numerator / denominator (denominator above 0) exactly, with `decimals` digits after the locale's
// decimal point, cut (not rounded); no point when decimals is 0.
std::string exactDecimal(std::int64_t numerator, std::int64_t denominator, int decimals,
                         const NumberLocale& locale = {});

// Reads a decimal number: optional blanks, an optional sign, digits with an optional decimal
// separator, an optional exponent. The whole-number digits may be grouped in threes with the
// locale's separator ("10,000,000"); a malformed grouping ("51,23", "1,,000") is refused, as is
// anything else, and anything that does not fit a finite double, is not a number.
[[nodiscard]] std::optional<double> parseNumber(std::string_view text,
                                                const NumberLocale& locale = {});

// Nearest whole number, an exact half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// Nearest whole number, an exact half going up (2.5 -> 3, -2.5 -> -2).
double roundHalfUp(double value);

// The largest whole number not above the value.
double intPart(double value);

}  // namespace tarnwell
