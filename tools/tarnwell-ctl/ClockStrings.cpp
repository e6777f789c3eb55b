#include "ClockStrings.h"

#include "readback/IdentityText.h"

namespace tarnwell::ctl {

std::string utf8FromLatin1(std::string_view latin1) {
    std::string utf8;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

std::optional<std::string> shown(const std::optional<std::string>& latin1) {
    if (!latin1)
        return std::nullopt;
    return utf8FromLatin1(*latin1);
}

Json jsonOrNull(const std::optional<std::string>& text) {
    return text ? Json(*text) : Json(nullptr);
}

std::string firmwareText(std::uint16_t release) {
    std::string text = firmwareVersionText(release);
    // The window's caption starts with a blank; a script wants the version alone.
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    return text;
}

}  // namespace tarnwell::ctl
