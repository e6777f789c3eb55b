#include <algorithm>
#include <cmath>
#include <optional>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "commands/CommandPayloads.h"
#include "commands/RegisterText.h"

namespace tarnwell::fuzz {

namespace {

// Feature lengths around the four bytes the command needs.
constexpr std::size_t kFeatureLengths[] = {3, 4, 65};

// The byte a box's text stands for: its number rounded half to even, when that is 0..255.
std::optional<std::uint8_t> expectedByte(std::string_view text) {
    const std::optional<double> number = parseNumber(text);
    if (!number)
        return std::nullopt;
    const double rounded = roundHalfEven(*number);
    if (rounded < 0 || rounded > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(rounded);
}

void checkByte(const std::optional<std::uint8_t>& result, std::string_view text) {
    require(result == expectedByte(text),
            "a register byte is the text rounded half to even, and only when in 0..255");
}

}  // namespace

// Two lines typed into REG and DATA, then "Register write": either refused with a message, or
// sent as exactly 00 05 REG DATA followed by zeros.
int fuzzRegisterText(const std::uint8_t* data, std::size_t size) {
    FuzzLines lines(data, size);
    const std::string_view regText = lines.next();
    const std::string_view dataText = lines.next();
    const auto reg = registerByteFromText(regText);
    const auto value = registerByteFromText(dataText);
    checkByte(reg, regText);
    checkByte(value, dataText);
    if (!reg || !value)
        return 0;

    for (const std::size_t length : kFeatureLengths) {
        const auto report = writeRegisterReport(*reg, *value, length);
        require(report.has_value() == (length >= 4), "the command is built when it fits");
        if (!report)
            continue;
        require(report->size() == length && (*report)[0] == 0 && (*report)[1] == 5 &&
                    (*report)[2] == *reg && (*report)[3] == *value &&
                    std::all_of(report->begin() + 4, report->end(),
                                [](std::uint8_t b) { return b == 0; }),
                "the report is 00 05 REG DATA and zeros, of the feature length");
    }
    return 0;
}

}  // namespace tarnwell::fuzz
