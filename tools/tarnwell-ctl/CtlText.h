#pragma once

// Reading the command line's numbers and writing what tarnwell-ctl prints: the one place its
// texts are made.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ToolJson.h"
#include "common/NumberText.h"
#include "device/HidBackend.h"
#include "readback/DriveStrengthTexts.h"
#include "readback/InputReport.h"

namespace tarnwell::ctl {

// Command-line numbers use a dot whatever the locale.
inline const NumberLocale kDot{'.'};
// How many of the nearest choices a refusal lists.
inline constexpr std::size_t kNearestShown = 4;
inline constexpr auto kDriveTexts = kDriveStrengthTexts;

// Identity strings arrive as Latin-1; the output is UTF-8.
std::string utf8FromLatin1(std::string_view latin1);
std::optional<std::string> shown(const std::optional<std::string>& latin1);
Json jsonOrNull(const std::optional<std::string>& text);
// The firmware version as the window shows it, without its leading blank.
std::string firmwareText(std::uint16_t release);
// Why a clock cannot be opened, and what to do about it.
std::string failureText(OpenFailure failure);
// For a clock this user may not open, the cause on this machine and its fix (see UdevRule.h).
std::string fixText(OpenFailure failure, const HidDeviceInfo& clock);
// A finite number with a dot for decimals, and seconds as a duration (up to a year).
std::optional<double> number(std::string_view text);
std::optional<std::chrono::milliseconds> seconds(std::string_view text);
// "1.5 s".
std::string secondsText(std::chrono::milliseconds span);
// The text between double quotes, as complaints show what was given: its start only, control
// characters escaped.
std::string quoted(std::string_view text);
// Text from a clock, a file or the command line, whole, with control characters escaped, for a
// line on a terminal.
std::string terminalText(std::string_view text);
std::string joined(const std::vector<std::string>& texts, std::string_view separator = ", ");
// The texts whose numbers lie nearest to the wanted one, nearest first, at most kNearestShown.
std::vector<std::string> nearest(const std::vector<std::string>& texts, double wanted);
// UTC, ISO 8601, to the millisecond.
std::string timestamp(std::chrono::system_clock::time_point when);
std::string statusLine(const InputStatus& status);
// Adds the status's fields to `object`.
void addStatusJson(Json& object, const InputStatus& status);

}  // namespace tarnwell::ctl
