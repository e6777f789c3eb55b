#pragma once

// Text from a clock, a file or the command line as a message shows it.

#include <string>
#include <string_view>
#include <vector>

namespace tarnwell::ctl {

// The text between double quotes, as complaints show what was given: its start only, control
// characters escaped.
std::string quoted(std::string_view text);
// The text whole, with control characters escaped, for a line on a terminal.
std::string terminalText(std::string_view text);
// "on" or "off", as the outputs' options take them.
std::string onOffText(bool on);
std::string joined(const std::vector<std::string>& texts, std::string_view separator = ", ");

}  // namespace tarnwell::ctl
