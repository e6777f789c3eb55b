#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/NumberText.h"

namespace tarnwell {

// A register address or value typed by the user: the text read as a number, rounded half to even
// (12.5 -> 12, 13.5 -> 14), when that lies in 0..255. Nothing otherwise: the one rule is that the
// text must make a byte, and the caller, who knows the box, says so in its own words.
[[nodiscard]] std::optional<std::uint8_t> registerByteFromText(std::string_view text,
                                                               const NumberLocale& locale = {});

}  // namespace tarnwell
