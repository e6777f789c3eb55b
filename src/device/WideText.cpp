#include "device/WideText.h"

#include <cstdint>

namespace tarnwell {

namespace {

constexpr char16_t kReplacementCharacter = u'\uFFFD';

void appendCodePoint(std::u16string& out, std::uint32_t codePoint) {
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (surrogate || codePoint > 0x10FFFF) {
        out.push_back(kReplacementCharacter);
    } else if (codePoint > 0xFFFF) {
        const std::uint32_t offset = codePoint - 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(codePoint));
    }
}

}  // namespace

std::u16string utf16FromWide(std::wstring_view wide) {
    std::u16string out;
    out.reserve(wide.size());
    for (const wchar_t unit : wide) {
        if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
            out.push_back(static_cast<char16_t>(unit));
        } else {
            appendCodePoint(out, static_cast<std::uint32_t>(unit));
        }
    }
    return out;
}

}  // namespace tarnwell
