#include "readback/IdentityText.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tarnwell {

namespace {

std::string toText(unsigned value, int base) {
    char digits[8];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), value, base).ptr;
    std::string text(digits, end);
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

std::string identityText(std::u16string_view utf16) {
    std::string text;
    for (const char16_t unit : utf16) {
        const auto lowByte = static_cast<char>(unit & 0xFF);
        if (lowByte == '\0') {
            break;
        }
        text.push_back(lowByte);
    }
    return text;
}

std::string firmwareVersionText(std::uint16_t releaseNumber) {
    // Appended piece by piece: g++ 12 at -O3 reports a false -Wrestrict on a chain of
    // operator+ that starts with a string literal.
    std::string text = " ";
    text += toText(releaseNumber >> 8, 10);
    text += '.';
    text += toText(releaseNumber & 0xFFu, 16);
    return text;
}

}  // namespace tarnwell
