#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwell {

// The decimal separator used both to write numbers into text boxes and to read them back, so
// that whatever the tool writes it can always read again.
struct NumberLocale {
    char decimalPoint = '.';
};

// General number form: at most 15 significant digits, no grouping, no trailing zeros, no decimal
// point for a whole number (10000000, 76666666.6666667, 5.28). Magnitudes from 1E-05 down and
// 1E+15 up use the exponent form "1.5E+20".
std::string formatNumber(double value, NumberLocale locale = {});

// Reads a decimal number: optional blanks, an optional sign, digits with an optional decimal
// separator, an optional exponent. Anything else, and anything that does not fit a finite double,
// is not a number.
std::optional<double> parseNumber(std::string_view text, NumberLocale locale = {});

// Nearest whole number, an exact half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// Nearest whole number, an exact half going up (2.5 -> 3, -2.5 -> -2).
double roundHalfUp(double value);

// The largest whole number not above the value.
double intPart(double value);

}  // namespace tarnwell
