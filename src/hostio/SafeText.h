#pragma once

// Text from a user, a file or a clock, made safe for where it goes: a message on a terminal, a
// format that must be UTF-8, a name that becomes part of a configuration file.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwell {

// How much of an offending value a message quotes.
inline constexpr std::size_t kQuotedPrefix = 60;

// The text as a message may show it: control characters (C0, DEL, C1) and bytes that are not
// UTF-8 written as escapes ("\n", "\t", "\x1b", "\u009b"), and of a text longer than `limit`
// bytes only its start, with how many bytes were left out.
std::string printable(std::string_view text, std::size_t limit = kQuotedPrefix);

// Any bytes as UTF-8: every byte that does not belong to a well-formed sequence becomes U+FFFD.
std::string validUtf8(std::string_view text);

// A user or group name from the POSIX portable filename character set, as adduser accepts one:
// letters, digits, '.', '_' and '-', not starting with '-', 1 to 32 bytes.
bool isPortableName(std::string_view name);

}  // namespace tarnwell
