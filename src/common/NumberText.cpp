#include "common/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tarnwell {

namespace {

constexpr int kSignificantDigits = 15;
constexpr int kSmallestFixedExponent = -4;  // 0.0001 is written out, 0.00001 is 1E-05
constexpr int kLargestFixedExponent = 14;   // 999999999999999 is written out, 1E+15 is not
// The largest 15-digit decimal below the largest double: the few doubles above it would round up
// to a text that reads back as infinity, so they are written as this.
constexpr double kLargestWritable = 1.79769313486231e308;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

std::string formatNumber(double value, const NumberLocale& locale) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0)
        return "0";
    if (std::fabs(value) > kLargestWritable)
        value = std::copysign(kLargestWritable, value);

    // "d.dddddddddddddde+XX": the value rounded to 15 significant digits.
    std::array<char, 64> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                std::chars_format::scientific, kSignificantDigits - 1);
    std::string_view scientific(buffer.data(),
                                static_cast<std::size_t>(result.ptr - buffer.data()));

    const bool negative = scientific.front() == '-';
    if (negative)
        scientific.remove_prefix(1);
    const std::size_t e = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(0, e))
        if (isDigit(c))
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());

    std::string text = negative ? "-" : "";
    if (exponent < kSmallestFixedExponent || exponent > kLargestFixedExponent) {
        text += digits.front();
        if (digits.size() > 1) {
            text += locale.decimalPoint;
            text += digits.substr(1);
        }
        text += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            text += '0';
        text += std::to_string(magnitude);
        return text;
    }
    if (exponent < 0) {
        text += '0';
        text += locale.decimalPoint;
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
        return text;
    }
    const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
        text += digits;
        text.append(integerDigits - digits.size(), '0');
    } else {
        text += digits.substr(0, integerDigits);
        text += locale.decimalPoint;
        text += digits.substr(integerDigits);
    }
    return text;
}

std::string formatGrouped(double value, const NumberLocale& locale) {
    std::string text = formatNumber(value, locale);
    if (locale.groupSeparator.empty() || text.find('E') != std::string::npos)
        return text;
    const std::size_t first = text.front() == '-' ? 1 : 0;
    std::size_t end = text.find(locale.decimalPoint);
    if (end == std::string::npos)
        end = text.size();
    constexpr std::size_t kGroup = 3;
    for (std::size_t at = end; at > first + kGroup; at -= kGroup)
        text.insert(at - kGroup, locale.groupSeparator);
    return text;
}

std::optional<double> parseNumber(std::string_view text, const NumberLocale& locale) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);

    // Validate the grammar here and hand a plain "[-]digits[.digits][e[-]digits]" to from_chars,
    // which is independent of the C library's locale.
    std::string plain;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            plain += '-';
        ++i;
    }
    int mantissaDigits = 0;
    // Groups of the whole part: the first of one to three digits, every later one of three.
    constexpr int kGroupDigits = 3;
    int groupDigits = 0;
    bool grouped = false;
    const std::string_view separator = locale.groupSeparator;
    while (i < text.size()) {
        if (isDigit(text[i])) {
            plain += text[i++];
            ++mantissaDigits;
            ++groupDigits;
        } else if (!separator.empty() && text.substr(i).starts_with(separator)) {
            if (groupDigits == 0 || groupDigits > kGroupDigits ||
                (grouped && groupDigits != kGroupDigits))
                return std::nullopt;
            grouped = true;
            groupDigits = 0;
            i += separator.size();
        } else {
            break;
        }
    }
    if (grouped && groupDigits != kGroupDigits)
        return std::nullopt;
    if (i < text.size() && text[i] == locale.decimalPoint) {
        plain += '.';
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            plain += text[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            if (text[i] == '-')
                plain += '-';
            ++i;
        }
        int exponentDigits = 0;
        while (i < text.size() && isDigit(text[i])) {
            plain += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;

    double value = 0;
    auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size())
        return std::nullopt;
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

double roundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

double roundHalfUp(double value) {
    const double below = std::floor(value);
    return value - below >= 0.5 ? below + 1 : below;
}

double intPart(double value) {
    return std::floor(value);
}

std::string exactDecimal(std::int64_t numerator, std::int64_t denominator, int decimals,
                         const NumberLocale& locale) {
    using Wide = unsigned __int128;  // the magnitude of any int64, times ten
    std::string text = numerator < 0 ? "-" : "";
    const auto n = static_cast<Wide>(numerator < 0 ? -static_cast<__int128>(numerator) : numerator);
    const auto d = static_cast<Wide>(denominator);
    text += std::to_string(static_cast<std::uint64_t>(n / d));
    if (decimals > 0)
        text += locale.decimalPoint;
    Wide rest = n % d;
    for (int i = 0; i < decimals; ++i) {
        rest *= 10;
        text += static_cast<char>('0' + static_cast<int>(rest / d));
        rest %= d;
    }
    return text;
}

}  // namespace tarnwell
