#include "hostio/SafeText.h"

#include <cstdint>
#include <cstdio>

namespace tarnwell {

namespace {

constexpr std::size_t kLongestName = 32;

// The length of the well-formed UTF-8 sequence starting at `at` (no overlong forms, surrogates
// or code points beyond U+10FFFF), with its code point; 0 when there is none.
std::size_t sequenceAt(std::string_view text, std::size_t at, std::uint32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    std::uint32_t lowest = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < lowest || codePoint > 0x10FFFF || surrogate)
        return 0;
    return length;
}

std::string hexEscape(const char* format, std::uint32_t value) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, format, static_cast<unsigned>(value));
    return escaped;
}

}  // namespace

std::string printable(std::string_view text, std::size_t limit) {
    std::string shown;
    std::size_t at = 0;
    while (at < text.size() && at < limit) {
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceAt(text, at, codePoint);
        if (length == 0) {
            shown += hexEscape("\\x%02x", static_cast<std::uint8_t>(text[at]));
            ++at;
            continue;
        }
        if (codePoint == '\n')
            shown += "\\n";
        else if (codePoint == '\t')
            shown += "\\t";
        else if (codePoint == '\r')
            shown += "\\r";
        else if (codePoint < 0x20 || codePoint == 0x7F)
            shown += hexEscape("\\x%02x", codePoint);
        else if (codePoint >= 0x80 && codePoint <= 0x9F)
            shown += hexEscape("\\u%04x", codePoint);
        else
            shown += text.substr(at, length);
        at += length;
    }
    if (at < text.size())
        shown += "... (" + std::to_string(text.size() - at) + " more bytes)";
    return shown;
}

std::string validUtf8(std::string_view text) {
    std::string valid;
    valid.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceAt(text, at, codePoint);
        if (length == 0) {
            valid += "\xEF\xBF\xBD";
            ++at;
        } else {
            valid += text.substr(at, length);
            at += length;
        }
    }
    return valid;
}

bool isPortableName(std::string_view name) {
    if (name.empty() || name.size() > kLongestName || name.front() == '-')
        return false;
    for (const char c : name) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && c != '.' && c != '_' && c != '-')
            return false;
    }
    return true;
}

}  // namespace tarnwell
