#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>
#include <QTimer>

#include "app/QtText.h"
#include "app/frmMain.h"
#include "device/ClockExchange.h"
#include "readback/IdentityText.h"

namespace tarnwell {

namespace {

constexpr auto kIntervalAfterDrop = std::chrono::milliseconds(250);

// The serial number as the list shows it, for a clock whose serial could be read.
std::optional<QString> listedSerial(const HidDeviceInfo& candidate) {
    if (candidate.vendorId != DeviceVendorId || candidate.productId != DeviceProductId ||
        !candidate.serial) {
        return std::nullopt;
    }
    return latin1Text(identityText(*candidate.serial));
}

}  // namespace

void frmMain::Scan_USB_devices() {
    ScanComplete = false;
    SerNo->setEnabled(false);
    QStringList serials;
    for (const HidDeviceInfo& candidate : Backend.enumerate(DeviceVendorId, DeviceProductId)) {
        if (auto serial = listedSerial(candidate))
            serials.append(*serial);
    }
    // The last clock found ends up selected. Filling raises no switch: that only follows a pick.
    replaceItems(SerNo, serials);
    {
        const QSignalBlocker blocker(SerNo);
        SerNo->setCurrentIndex(static_cast<int>(serials.size()) - 1);
    }
    SerNoChangedBeforeActivation = false;
    SerNo->setEnabled(serials.size() >= 2);
    ScanComplete = true;
}

bool frmMain::FindTheHid() {
    DeviceOpen = false;
    const QString wanted = SerNo->currentText();
    // With several clocks of one serial number, the first enumerated is the one opened.
    OpenedClock opened = openFirstClock(Backend, [&wanted](const HidDeviceInfo& candidate) {
        return listedSerial(candidate) == wanted;
    });
    if (opened.device) {
        Device = std::move(opened.device);
        DeviceInfo = opened.info;
        DeviceOpen = true;
    }
    return DeviceOpen;
}

void frmMain::SerNo_Click() {
    if (!ScanComplete)
        return;
    // No poll may run between closing the old clock and opening the new one.
    Timer->stop();
    SwitchPending = true;
    if (DeviceOpen)
        dropDevice();
    ConfigLoaded = false;
    DeviceOpen = FindTheHid();
    if (DeviceOpen)
        SwitchPending = false;
    ReadDeviceConfig();
    Timer->start();
}

void frmMain::dropDevice() {
    DeviceOpen = false;
    Device.reset();
    Timer->setInterval(kIntervalAfterDrop);
    ConfigLoaded = false;
}

bool frmMain::commandGateOpen() const {
    return DeviceOpen && ConfigLoaded && Device != nullptr;
}

bool frmMain::sendCommand(const ReportBuilder& build) {
    if (!commandGateOpen())
        return false;
    LastApiResult = sendCommandReport(*Device, build) == SendResult::Sent;
    return LastApiResult;
}

}  // namespace tarnwell
