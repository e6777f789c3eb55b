#pragma once

#include <QString>

namespace tarnwell::demo {

class Demo;

// Drives the started demo as a person would (10000000 into Out1Freq, Find), lets a few polls
// run, saves both windows into the folder as demo-main.png and demo-simulator.png, then a window
// of its own on one plain simulated clock as window.png, prints the reports the simulated clocks
// received to standard output, and ends the application: exit code 0 when all three pictures
// were saved.
void takeScreenshots(Demo& demo, const QString& folder);

}  // namespace tarnwell::demo
