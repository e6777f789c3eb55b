#pragma once

#include <string>

namespace tarnwell::fuzz {

// A property that must hold for every input. On failure prints what broke (and the replayed file,
// if any) and aborts, which both libFuzzer and the replay test report as a crash.
void require(bool holds, const char* property);

// The corpus file being replayed, named in the failure message.
void setReplayedInput(std::string name);

}  // namespace tarnwell::fuzz
