#include "commands/RegisterText.h"

namespace tarnwell {

std::optional<std::uint8_t> registerByteFromText(std::string_view text,
                                                 const NumberLocale& locale) {
    const std::optional<double> number = parseNumber(text, locale);
    if (!number)
        return std::nullopt;
    const double rounded = roundHalfEven(*number);
    if (!(rounded >= 0 && rounded <= 255))
        return std::nullopt;
    return static_cast<std::uint8_t>(rounded);
}

}  // namespace tarnwell
