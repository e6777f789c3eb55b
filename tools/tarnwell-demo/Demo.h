#pragma once

#include "ClockSimulatorPanel.h"
#include "SimulatorBackend.h"
#include "sim/VirtualClockBackend.h"
#include "window/frmMain.h"

namespace tarnwell::demo {

// The demo's parts wired as the program runs them: the two simulated clocks, the tool's window
// on them, and the simulator window that drives them. The hooks are the window's (left empty:
// a real pause and a modal message box).
class Demo {
public:
    explicit Demo(frmMain::DeviceWait waitForDevice = {}, frmMain::WarningBox showWarning = {});

    // Loads the window, as the tool does at start-up, and shows the simulator beside it.
    void start();

    frmMain& window() { return window_; }
    ClockSimulatorPanel& simulator() { return simulator_; }
    VirtualClockBackend& clocks() { return clocks_; }

private:
    // In this order: the window and the simulator go before the clocks they use.
    VirtualClockBackend clocks_;
    SimulatorBackend backend_;
    frmMain window_;
    ClockSimulatorPanel simulator_;
};

}  // namespace tarnwell::demo
