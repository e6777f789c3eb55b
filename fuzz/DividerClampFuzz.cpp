#include <cmath>
#include <optional>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "planning/DividerLimits.h"
#include "planning/PllSettings.h"

namespace tarnwell::fuzz {

namespace {

// With the digit grouping of English and German, which a person may type.
const NumberLocale kLocales[] = {{'.', ","}, {',', "."}};

bool inLimits(double value, const DividerLimit& limit) {
    return value >= limit.minimum && value <= limit.maximum;
}

bool legalDivider(std::uint32_t value, const DividerLimit& limit) {
    return inLimits(value, limit) && (!limit.mustBeEven || value % 2 == 0);
}

// What the record carries for clamped boxes: every divider the clock receives is legal.
void checkRecordOfClampedBoxes(const PllBoxTexts& texts, NumberLocale locale) {
    auto value = [&](PllBox box) {
        return parseNumber(texts[static_cast<std::size_t>(box)], locale).value_or(NAN);
    };
    const PllEncoding encoding = encodePllSettings({.gps = value(PllBox::GPS),
                                                    .n31 = value(PllBox::N31),
                                                    .n2hs = value(PllBox::N2_HS),
                                                    .n2ls = value(PllBox::N2_LS),
                                                    .n1hs = value(PllBox::N1_HS),
                                                    .nc1ls = value(PllBox::NC1_LS),
                                                    .nc2ls = value(PllBox::NC2_LS)});
    require(static_cast<bool>(encoding), "clamped boxes always make a record");
    const PllSettings sent = decodePllSettings(encoding.bytes);
    auto limit = [](PllBox box) { return kDividerLimits[static_cast<std::size_t>(box)]; };
    require(legalDivider(sent.gps, limit(PllBox::GPS)) &&
                legalDivider(sent.n31, limit(PllBox::N31)) &&
                legalDivider(sent.n2hs, limit(PllBox::N2_HS)) &&
                legalDivider(sent.n2ls, limit(PllBox::N2_LS)) &&
                legalDivider(sent.n1hs, limit(PllBox::N1_HS)) &&
                legalDivider(sent.nc1ls, limit(PllBox::NC1_LS)) &&
                legalDivider(sent.nc2ls, limit(PllBox::NC2_LS)),
            "the record of clamped boxes carries legal dividers, even where they must be");
}

}  // namespace

// Seven lines typed into GPS, N31, N2_HS, N2_LS, N1_HS, NC1_LS and NC2_LS (missing lines are
// empty boxes), clamped as "Update" does before it encodes them.
int fuzzDividerClamp(const std::uint8_t* data, std::size_t size) {
    FuzzLines lines(data, size);
    PllBoxTexts typed;
    for (std::string& text : typed)
        text = lines.next();

    for (const NumberLocale& locale : kLocales) {
        PllBoxTexts clamped = typed;
        clampDividers(clamped, locale);
        for (const DividerLimit& limit : kDividerLimits) {
            const auto value = parseNumber(clamped[static_cast<std::size_t>(limit.box)], locale);
            require(value.has_value(), "every clamped box holds a number");
            require(inLimits(*value, limit), "every clamped box lies inside its limits");
        }
        PllBoxTexts twice = clamped;
        clampDividers(twice, locale);
        require(twice == clamped, "clamping clamped boxes changes nothing");
        checkRecordOfClampedBoxes(clamped, locale);
    }
    return 0;
}

}  // namespace tarnwell::fuzz
