#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwell {

// The clock's USB strings as the tool shows them: the low byte of each UTF-16 code unit, ending
// before the first zero byte. The bytes are characters of a single-byte code page (Latin-1).
std::string identityText(std::u16string_view utf16);

// " " + major (high byte) in decimal + "." + minor (low byte) in upper-case hex without leading
// zeros: 0x0112 -> " 1.12", 0x010A -> " 1.A", 0x0200 -> " 2.0".
std::string firmwareVersionText(std::uint16_t releaseNumber);

}  // namespace tarnwell
