#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QTimer>
#include <QWindow>

#include "device/TimedDevice.h"
#include "window/frmMain.h"

namespace tarnwell {

namespace {
constexpr auto kSoftwareVersion = TARNWELL_VERSION;
}

void frmMain::Form_Load() {
    ConfigLoaded = false;
    SwitchPending = false;
    ScanComplete = false;
    // On screen, painted, before any device work, which may take a moment: show() only asks the
    // window system, which exposes the window a little later.
    show();
    waitUntilPainted();
    Scan_USB_devices();
    DeviceOpen = FindTheHid();
    ReadDeviceConfig();
    if (!shutDown_)
        Timer->start();
    lblSoftware->setText(QString::fromLatin1(kSoftwareVersion));
}

void frmMain::waitUntilPainted() {
    const QWindow* handle = windowHandle();
    const QDeadlineTimer deadline(timing::kExposeWait);
    while (handle && !handle->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void frmMain::Form_Unload() {
    Timer->stop();
    ScanComplete = false;
    shutDown_ = true;
    // Closes both handles, and only if they are open; a handler still running finds the gate shut.
    // A handler waiting for the clock gives up at once and drops the clock on its way out.
    if (!waitingForClock_)
        closeDevice();
    DeviceOpen = false;
    ConfigLoaded = false;
}

void frmMain::closeEvent(QCloseEvent* event) {
    runHandler(&frmMain::Form_Unload);
    event->accept();
}

}  // namespace tarnwell
