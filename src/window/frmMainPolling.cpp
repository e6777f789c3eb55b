#include <QComboBox>
#include <QLabel>
#include <QTimer>

#include "device/ClockExchange.h"
#include "device/TimedDevice.h"
#include "readback/InputReport.h"
#include "window/frmMain.h"

namespace tarnwell {

// A tick called in the middle of a wait, past runHandler, is skipped: the next one polls as ever.
void frmMain::Timer_Timer() {
    if (handlerWaiting_)
        return;
    PollDevice();
}

void frmMain::PollDevice() {
    noteDeviceChanges();
    if (DeviceOpen) {
        // A default read is an error: an open flag without a device drops and reconnects.
        const StatusRead read = device_ ? readNewestStatus(*device_) : StatusRead{};
        if (read.read == InputReadStatus::Error || SwitchPending) {
            dropDevice();
        } else if (const auto& status = read.status) {
            Timer->setInterval(timing::kIntervalWhileReporting);
            Label16->setText(
                QStringLiteral("Signal loss count: %1").arg(int{status->signalLossCount}));
            LOS->setVisible(status->noGpsSignal);
            LOL->setVisible(status->noPllLock);
            lastReportAt_ = now_();
        } else if (lastReportAt_ && now_() - *lastReportAt_ >= timing::kStatusLifetime) {
            // Nothing queued yet, or a report too short to hold the status, is no fault: the
            // clock stays open, and its last status stays shown until it is too old to trust.
            showUnknownStatus();
            lastReportAt_.reset();
        }
        if (DeviceOpen && scanDue())
            refreshSerialList();
    }
    // Enumerating finds nothing new unless something has changed.
    if (!DeviceOpen && scanDue())
        reconnect();
    sleepWhileNothingToFind();
}

// Runs in the same tick as a drop, so a replugged clock is back without user action.
void frmMain::reconnect() {
    ConfigLoaded = false;
    Scan_USB_devices();
    DeviceOpen = FindTheHid();
    if (DeviceOpen)
        SwitchPending = false;
    // A listed clock that failed to open is worth another try at the next tick.
    if (!DeviceOpen && SerNo->count() > 0)
        rescanDue_ = true;
    ReadDeviceConfig();
}

}  // namespace tarnwell
