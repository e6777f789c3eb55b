#include "ToolJson.h"

#include <cstdlib>
#include <numeric>

namespace tarnwell {

namespace {

// Every whole number up to 2^53 has a double of its own.
constexpr std::uint64_t kLargestExactWhole = std::uint64_t{1} << 53;

}  // namespace

std::string jsonText(const Json& document) {
    return document.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json exactNumber(std::int64_t numerator, std::int64_t denominator) {
    if (denominator == 0)
        return nullptr;
    const std::int64_t divisor = std::gcd(numerator, denominator);
    std::int64_t num = numerator / divisor;
    std::int64_t den = denominator / divisor;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const auto magnitude = static_cast<std::uint64_t>(num < 0 ? -num : num);
    // A fraction in lowest terms is a double when its denominator is a power of two and its
    // numerator fits the mantissa.
    if ((den & (den - 1)) == 0 && magnitude <= kLargestExactWhole) {
        if (den == 1)
            return num;
        return static_cast<double>(num) / static_cast<double>(den);
    }
    return std::to_string(num) + "/" + std::to_string(den);
}

Json decimalNumber(std::string_view text) {
    const bool negative = text.starts_with('-');
    std::int64_t digits = 0;
    std::int64_t scale = 1;
    bool afterPoint = false;
    bool anyDigit = false;
    constexpr std::int64_t kMostDigits = std::int64_t{1} << 58;  // room for one more digit
    for (const char c : text.substr(negative ? 1 : 0)) {
        if (c == '.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (c < '0' || c > '9' || digits >= kMostDigits / 10 || scale >= kMostDigits / 10)
            return std::string(text);
        digits = digits * 10 + (c - '0');
        anyDigit = true;
        if (afterPoint)
            scale *= 10;
    }
    const Json exact = exactNumber(negative ? -digits : digits, scale);
    return anyDigit && exact.is_number() ? exact : Json(std::string(text));
}

}  // namespace tarnwell
