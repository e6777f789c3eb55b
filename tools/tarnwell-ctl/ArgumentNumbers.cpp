#include "ArgumentNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tarnwell::ctl {

std::optional<double> number(std::string_view text) {
    const std::optional<double> value = parseNumber(text, kDot);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

std::optional<std::chrono::milliseconds> seconds(std::string_view text) {
    const std::optional<double> value = number(text);
    if (!value || *value < 0 || *value > 86400.0 * 365)
        return std::nullopt;
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::llround(*value * 1000)));
}

std::string secondsText(std::chrono::milliseconds span) {
    return formatNumber(static_cast<double>(span.count()) / 1000.0, kDot) + " s";
}

std::vector<std::string> nearest(const std::vector<std::string>& texts, double wanted) {
    std::vector<std::string> sorted = texts;
    std::stable_sort(sorted.begin(), sorted.end(), [wanted](const auto& a, const auto& b) {
        return std::abs(parseNumber(a, kDot).value_or(0) - wanted) <
               std::abs(parseNumber(b, kDot).value_or(0) - wanted);
    });
    if (sorted.size() > kNearestShown)
        sorted.resize(kNearestShown);
    return sorted;
}

}  // namespace tarnwell::ctl
