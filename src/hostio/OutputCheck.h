#pragma once

// A program's output that could not be written (a full disk, a closed pipe) is a failure, never a
// silent success: checked once, when the program ends, as coreutils do.

#include <iosfwd>
#include <string_view>

namespace tarnwell {

// The exit status of a program whose standard output or standard error could not be written.
inline constexpr int kExitOutputFailed = 1;

// Flushes both streams and returns `status`, or kExitOutputFailed when a write to either failed,
// saying so on `err` while that still works.
int checkedExit(int status, std::ostream& out, std::ostream& err, std::string_view program);

}  // namespace tarnwell
