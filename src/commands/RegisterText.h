#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/NumberText.h"

namespace tarnwell {

// A register address or value typed by the user, or why it cannot be sent.
struct RegisterByte {
    std::optional<std::uint8_t> value;
    std::string refusal;  // for the user; empty when value holds the byte
};

// The text read as a number, rounded half to even (12.5 -> 12, 13.5 -> 14), and accepted when
// that lies in 0..255. The box name starts the refusal text: "REG must be a number from 0 to 255".
RegisterByte registerByteFromText(std::string_view text, std::string_view boxName,
                                  const NumberLocale& locale = {});

}  // namespace tarnwell
