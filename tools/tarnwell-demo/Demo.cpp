#include "Demo.h"

#include <QPoint>

#include <utility>

#include "DemoClocks.h"

namespace tarnwell::demo {

namespace {
constexpr int kGapBetweenWindows = 12;
constexpr int kSimulatorWidth = 480;

// The clocks are in before the simulator, which makes controls for the clocks it finds.
VirtualClockBackend& withDemoClocks(VirtualClockBackend& clocks) {
    addDemoClocks(clocks);
    return clocks;
}

}  // namespace

Demo::Demo(frmMain::DeviceWait waitForDevice, frmMain::WarningBox showWarning)
    : backend_(withDemoClocks(clocks_)),
      window_(backend_, std::move(waitForDevice), std::move(showWarning)),
      simulator_(backend_) {
    window_.setWindowTitle(QStringLiteral("Tarnwell demo"));
    simulator_.setFont(window_.font());
    // Closing the tool's window ends the demo; the simulator alone has nothing to drive.
    simulator_.setAttribute(Qt::WA_QuitOnClose, false);
}

void Demo::start() {
    window_.Form_Load();
    simulator_.resize(kSimulatorWidth, window_.height());
    simulator_.move(window_.frameGeometry().topRight() + QPoint(kGapBetweenWindows, 0));
    simulator_.show();
}

}  // namespace tarnwell::demo
