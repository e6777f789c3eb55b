#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "common/NumberText.h"

namespace tarnwell::fuzz {

namespace {

// With the digit grouping of English and German, which a person may type.
const NumberLocale kLocales[] = {{'.', ","}, {',', "."}};

// What the tool writes into a box it must read back to a number that it writes the same way,
// within the 15 significant digits it keeps.
void checkWrittenNumberReadsBack(double value, const NumberLocale& locale) {
    const std::string written = formatNumber(value, locale);
    const std::optional<double> read = parseNumber(written, locale);
    require(read.has_value(), "a written finite number reads back as a number");
    require(formatNumber(*read, locale) == written, "a number read back writes the same text");
    require(std::fabs(*read - value) <= 1e-14 * std::fabs(value),
            "the number read back lies within 15 significant digits of the one written");
}

void checkRounding(double value) {
    const double even = roundHalfEven(value);
    require(even == std::floor(even) && std::fabs(even - value) <= 0.5,
            "rounding gives the nearest whole number");
    require(std::fabs(even - value) < 0.5 || std::fmod(even, 2.0) == 0,
            "an exact half rounds to the even neighbour");
    // From 2^52 on every double is whole; below, whole part + 1 is exact.
    const double whole = intPart(value);
    require(whole == std::floor(whole) && whole <= value &&
                (std::fabs(value) >= 0x1p52 ? whole == value : whole + 1 > value),
            "the whole part is the largest whole number not above the value");
}

}  // namespace

// The input is both a text typed into a box and, in its first eight bytes, an arbitrary double.
int fuzzNumberText(const std::uint8_t* data, std::size_t size) {
    const std::string_view typed = asText(data, size);
    // Appended rather than " " + text: GCC 12 at -O3 warns falsely about the latter.
    std::string blankFirst(1, ' ');
    blankFirst += typed;
    for (const NumberLocale& locale : kLocales) {
        const std::optional<double> number = parseNumber(typed, locale);
        // Holds for refused texts too, so that every input is checked for something.
        require(parseNumber(blankFirst, locale) == number, "a leading blank changes nothing");
        if (number) {
            require(std::isfinite(*number), "only finite numbers are read");
            checkWrittenNumberReadsBack(*number, locale);
            checkRounding(*number);
        }
    }

    double raw = 0;
    if (size < sizeof raw)
        return 0;
    std::memcpy(&raw, data, sizeof raw);
    for (const NumberLocale& locale : kLocales) {
        if (std::isfinite(raw)) {
            checkWrittenNumberReadsBack(raw, locale);
            checkRounding(raw);
        } else {
            require(!parseNumber(formatNumber(raw, locale), locale),
                    "NaN and the infinities are never read as numbers");
        }
    }
    return 0;
}

}  // namespace tarnwell::fuzz
