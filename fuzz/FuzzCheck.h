#pragma once

#include <cstddef>
#include <string>

namespace tarnwell::fuzz {

// A property that must hold for every input. On failure prints what broke (and the replayed file,
// if any) and aborts, which both libFuzzer and the replay test report as a crash.
void require(bool holds, const char* property);

// How many properties have been checked so far: the replay test sees that each input was
// checked at all, not only that nothing broke.
std::size_t checkedProperties();

// The corpus file being replayed, named in the failure message.
void setReplayedInput(std::string name);

}  // namespace tarnwell::fuzz
