#include "planning/DividerLimits.h"

#include <cmath>

namespace tarnwell {

namespace {

// One box of the clamp: every step reads back the text the previous step wrote, so the box ends
// up holding exactly what a later read of it will see.
void clampBox(std::string& text, const DividerLimit& limit, const NumberLocale& locale) {
    auto write = [&](double value) { text = formatNumber(value, locale); };
    if (!parseNumber(text, locale))
        write(limit.defaultValue);
    // Whatever was written is a number again; the fallback only keeps this total.
    auto read = [&] { return parseNumber(text, locale).value_or(limit.defaultValue); };

    if (read() < limit.minimum)
        write(limit.minimum);
    if (read() > limit.maximum)
        write(limit.maximum);
    if (limit.mustBeEven) {
        // The even whole number, not the typed fraction less one: 2.6 less one would fall below
        // the minimum, and a half such as 483.5 would reach the clock as the odd 483 once the
        // record stores it less one. Remainder taken in doubles, where no cast can overflow.
        const double whole = roundHalfEven(read());
        write(whole - std::fmod(whole, 2.0));
    }
}

}  // namespace

void clampDividers(PllBoxTexts& texts, const NumberLocale& locale) {
    for (const DividerLimit& limit : kDividerLimits)
        clampBox(texts[static_cast<std::size_t>(limit.box)], limit, locale);
}

}  // namespace tarnwell
