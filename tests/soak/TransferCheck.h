#pragma once

#include <string>
#include <vector>

#include "WatchedBackend.h"
#include "window/frmMain.h"

namespace tarnwell::soak {

// What is wrong with a feature-report transfer, judged against what the window shows at the
// moment it is made: the gate, the length and framing, the zeros, and a payload that says exactly
// what the controls say. Empty when nothing is.
std::vector<std::string> transferProblems(const FeatureTransfer& transfer, frmMain& window,
                                          NumberLocale locale);

}  // namespace tarnwell::soak
