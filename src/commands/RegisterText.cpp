#include "commands/RegisterText.h"

namespace tarnwell {

RegisterByte registerByteFromText(std::string_view text, std::string_view boxName,
                                  const NumberLocale& locale) {
    if (const std::optional<double> number = parseNumber(text, locale)) {
        const double rounded = roundHalfEven(*number);
        if (rounded >= 0 && rounded <= 255) {
            return {static_cast<std::uint8_t>(rounded), {}};
        }
    }
    return {std::nullopt, std::string(boxName) + " must be a number from 0 to 255"};
}

}  // namespace tarnwell
