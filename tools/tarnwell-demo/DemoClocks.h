#pragma once

#include "sim/VirtualClockBackend.h"

namespace tarnwell::demo {

// Plugs the demo's two simulated clocks into the backend: "T5240342" (its second character gives
// the narrow bandwidth, BW 6) set to 10 MHz, and "TW240117" (BW 15) set to 25 MHz. Both are
// locked with a GPS signal and report their status continuously. The second is listed last, so
// the window opens it first.
void addDemoClocks(VirtualClockBackend& backend);

}  // namespace tarnwell::demo
