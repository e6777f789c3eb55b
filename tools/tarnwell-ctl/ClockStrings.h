#pragma once

// What a clock says of itself, as tarnwell-ctl prints it: its strings arrive as Latin-1 and the
// output is UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ToolJson.h"
#include "readback/DriveStrengthTexts.h"

namespace tarnwell::ctl {

inline constexpr auto kDriveTexts = kDriveStrengthTexts;

std::string utf8FromLatin1(std::string_view latin1);
std::optional<std::string> shown(const std::optional<std::string>& latin1);
Json jsonOrNull(const std::optional<std::string>& text);
// The firmware version as the window shows it, without its leading blank.
std::string firmwareText(std::uint16_t release);

}  // namespace tarnwell::ctl
