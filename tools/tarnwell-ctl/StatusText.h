#pragma once

// A status report as status and the programming commands print it.

#include <chrono>
#include <string>

#include "ToolJson.h"
#include "readback/InputReport.h"

namespace tarnwell::ctl {

// UTC, ISO 8601, to the millisecond.
std::string timestamp(std::chrono::system_clock::time_point when);
std::string statusLine(const InputStatus& status);
// Adds the status's fields to `object`.
void addStatusJson(Json& object, const InputStatus& status);

}  // namespace tarnwell::ctl
