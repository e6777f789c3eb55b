#include <QCloseEvent>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QWindow>

#include "device/TimedDevice.h"
#include "window/frmMain.h"

namespace tarnwell {

namespace {

constexpr auto kSoftwareVersion = TARNWELL_VERSION;

// Ends a loop once the window system has put the window on screen.
class ExposeWatch : public QObject {
public:
    ExposeWatch(QWindow& window, QEventLoop& loop) : window_(window), loop_(loop) {
        window_.installEventFilter(this);
    }
    ~ExposeWatch() override { window_.removeEventFilter(this); }
    ExposeWatch(const ExposeWatch&) = delete;
    ExposeWatch& operator=(const ExposeWatch&) = delete;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose && window_.isExposed())
            loop_.quit();
        return false;
    }

private:
    QWindow& window_;
    QEventLoop& loop_;
};

}  // namespace

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
    QWindow* handle = windowHandle();
    if (handle && !handle->isExposed()) {
        QEventLoop loop;
        const ExposeWatch watch(*handle, loop);
        bool givenUp = false;
        QTimer::singleShot(timing::kExposeWait, &loop, [&] {
            givenUp = true;
            loop.quit();
        });
        waitInLoop(loop, [&] { return givenUp || handle->isExposed(); });
    }
    repaint();
}

void frmMain::Form_Unload() {
    Timer->stop();
    ScanComplete = false;
    shutDown_ = true;
    // Closes both handles, and only if they are open; a handler still running finds the gate shut.
    // A handler waiting for the clock gives up at once and drops the clock on its way out.
    if (!handlerWaiting_)
        closeDevice();
    DeviceOpen = false;
    ConfigLoaded = false;
}

void frmMain::closeEvent(QCloseEvent* event) {
    runHandler(&frmMain::Form_Unload);
    event->accept();
}

}  // namespace tarnwell
