#pragma once

#include <string>

#include "device/HidBackend.h"

namespace tarnwell::ctl {

// Why a clock cannot be opened, and what to do about it.
std::string failureText(OpenFailure failure);
// For a clock this user may not open, the cause on this machine and its fix (see UdevRule.h).
std::string fixText(OpenFailure failure, const HidDeviceInfo& clock);

}  // namespace tarnwell::ctl
