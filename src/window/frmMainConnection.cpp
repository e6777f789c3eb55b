#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <utility>

#include "device/ClockExchange.h"
#include "device/TimedDevice.h"
#include "readback/IdentityText.h"
#include "window/QtText.h"
#include "window/frmMain.h"

namespace tarnwell {

namespace {

// The serial number as the list shows it, for a clock whose serial could be read. The ids were
// checked where the clock was listed (discoverClocks, openFirstClock); once is testable, twice not.
std::optional<QString> listedSerial(const HidDeviceInfo& candidate) {
    if (!candidate.serial) {
        return std::nullopt;
    }
    return latin1Text(identityText(*candidate.serial));
}

// How a notice names a clock: by its serial number when that can be read.
QString clockName(const HidDeviceInfo& clock) {
    if (const auto serial = listedSerial(clock))
        return QStringLiteral("The clock with serial number %1").arg(*serial);
    return QStringLiteral("The clock at %1").arg(QString::fromStdString(clock.path));
}

// `facts` is asked only for a clock this user may not open: it reads files.
QString refusalNotice(const HidDeviceInfo& clock, OpenFailure why,
                      [[maybe_unused]] const frmMain::PermissionLook& facts) {
    const QString node = QString::fromStdString(clock.path);
    switch (why) {
        case OpenFailure::PermissionDenied:
            return QStringLiteral("%1 is plugged in, but this user may not open it (%2).\n\n%3")
                .arg(clockName(clock), node,
#ifdef Q_OS_LINUX
                     QString::fromStdString(
                         permissionAdvice(facts(), UsbId{clock.vendorId, clock.productId}))
#else
                     QStringLiteral("Give this user access to the clock's device, then unplug "
                                    "and replug it.")
#endif
                );
        case OpenFailure::Busy:
            return QStringLiteral(
                       "%1 is plugged in, but another program holds it (%2). Close that program; "
                       "Tarnwell opens the clock by itself once it is free.")
                .arg(clockName(clock), node);
        case OpenFailure::Gone:
        case OpenFailure::Other:
            break;
    }
    return QStringLiteral("%1 is plugged in, but it could not be opened (%2).")
        .arg(clockName(clock), node);
}

}  // namespace

void frmMain::setNoticeBox(NoticeBox show) {
    showNotice_ = std::move(show);
    if (showNotice_)
        return;
    showNotice_ = [](QWidget& parent, const QString& text) {
        // Not modal: it may appear in the middle of a poll, and polling must go on.
        auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Tarnwell"), text,
                                    QMessageBox::Ok, &parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        // The commands are meant to be copied.
        box->setTextInteractionFlags(Qt::TextSelectableByMouse);
        box->show();
    };
}

void frmMain::watchDeviceChanges() {
    const int descriptor = backend_.changeDescriptor();
    if (!backend_.notifiesChanges() || descriptor < 0)
        return;
    changeNotifier_ = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(changeNotifier_, &QSocketNotifier::activated, this, [this] {
        // The announcement stays in the descriptor while a handler waits: a notifier left on would
        // fire at every turn of the waiting loop.
        if (handlerWaiting_)
            changeNotifier_->setEnabled(false);
        runHandler(&frmMain::takeAnnouncedChanges);
    });
    safetyRescan_ = new QTimer(this);
    safetyRescan_->setSingleShot(true);
    connect(safetyRescan_, &QTimer::timeout, this, [this] { runHandler(&frmMain::wakeToScan); });
}

void frmMain::takeAnnouncedChanges() {
    changeNotifier_->setEnabled(true);
    if (backend_.takeChanges()) {
        rescanDue_ = true;
        wakeToScan();
    }
}

void frmMain::sleepWhileNothingToFind() {
    if (DeviceOpen || changeNotifier_ == nullptr || shutDown_ || requestStuck() || scanDue())
        return;
    Timer->stop();
    sleeping_ = true;
    const auto sinceScan =
        std::chrono::duration_cast<std::chrono::milliseconds>(now_() - lastScanAt_);
    safetyRescan_->start(
        std::max(timing::kSafetyRescanInterval - sinceScan, std::chrono::milliseconds(0)));
}

void frmMain::wakeToScan() {
    if (!std::exchange(sleeping_, false) || shutDown_)
        return;
    safetyRescan_->stop();
    Timer->start();
}

// A backend that announces changes without a descriptor to watch is asked at every tick.
void frmMain::noteDeviceChanges() {
    if (backend_.notifiesChanges() && changeNotifier_ == nullptr && backend_.takeChanges())
        rescanDue_ = true;
}

bool frmMain::requestStuck() const {
    return std::ranges::any_of(stuckCalls_, [](const auto& call) { return !call->done(); });
}

// Nothing is looked for while opening would block the window.
bool frmMain::scanDue() const {
    if (requestStuck())
        return false;
    if (rescanDue_)
        return true;
    const auto sinceScan = now_() - lastScanAt_;
    if (backend_.notifiesChanges())
        return sinceScan >= timing::kSafetyRescanInterval;
    return !DeviceOpen || sinceScan >= timing::kRescanIntervalWhileOpen;
}

std::vector<DiscoveredClock> frmMain::discoverAttachedClocks() {
    std::vector<std::string> open;
    if (DeviceOpen && device_)
        open.push_back(deviceInfo_.path);
    // Each clock is opened for a try and closed again, which waits in the kernel while any program
    // has a request stuck: off the window's thread, waited for like an answer. Given up on, it
    // finds nothing for now, and no scan comes before it has ended.
    auto found = std::make_shared<std::vector<DiscoveredClock>>();
    const std::shared_ptr<PendingCall> listing =
        ClockIoThread::runAlone([found, &backend = backend_, ids = usbIds_, open] {
            *found = discoverClocks(backend, ids, open);
        });
    const bool listed = waitForClock(*listing);
    rescanDue_ = !listed;
    lastScanAt_ = now_();
    if (!listed) {
        stuckCalls_.push_back(listing);
        return {};
    }
    tellRefusals(*found);
    return std::move(*found);
}

// Once per attach. A first refusal waits for the next scan: right after plug-in the node can
// exist for a moment before udev has granted access to it.
void frmMain::tellRefusals(const std::vector<DiscoveredClock>& found) {
    std::set<std::string> refused;
    std::set<std::string> attached;
    for (const DiscoveredClock& clock : found) {
        attached.insert(clock.info.path);
        if (clock.openable() || *clock.refusal == OpenFailure::Gone)
            continue;
        if (refusedAtLastScan_.contains(clock.info.path))
            tellOnce("refused " + clock.info.path,
                     refusalNotice(clock.info, *clock.refusal, permissionLook_));
        refused.insert(clock.info.path);
    }
    refusedAtLastScan_ = std::move(refused);
    // Unplugged: told again after the next plug-in.
    std::erase_if(toldNotices_, [&attached](const std::string& key) {
        return !attached.contains(key.substr(key.find(' ') + 1));
    });
}

void frmMain::setUsbIds(const UsbIdsInForce& ids) {
    usbIds_ = ids.ids;
    rescanDue_ = true;
    for (const std::string& complaint : ids.complaints)
        tellOnce("settings " + complaint, QString::fromStdString(complaint + fallbackNote()));
}

void frmMain::tellOnce(const std::string& key, const QString& text) {
    if (toldNotices_.insert(key).second)
        showNotice_(*this, text);
}

void frmMain::Scan_USB_devices() {
    ScanComplete = false;
    SerNo->setEnabled(false);
    QStringList serials;
    listedPaths_.clear();
    // Only clocks this user can open: the selection rules below are about those.
    for (const DiscoveredClock& clock : discoverAttachedClocks()) {
        const auto serial = listedSerial(clock.info);
        if (clock.openable() && serial) {
            serials.append(*serial);
            listedPaths_.push_back(clock.info.path);
        }
    }
    // The last clock found ends up selected. Filling raises no switch: that only follows a pick.
    replaceItems(SerNo, serials);
    {
        const QSignalBlocker blocker(SerNo);
        SerNo->setCurrentIndex(static_cast<int>(serials.size()) - 1);
    }
    serNoChangedBeforeActivation_ = false;
    SerNo->setEnabled(serials.size() >= 2);
    ScanComplete = true;
}

bool frmMain::FindTheHid() {
    DeviceOpen = false;
    // Not found for now; the switch stays pending and the next scan after the stuck request
    // opens it.
    if (requestStuck())
        return false;
    const QString wanted = SerNo->currentText();
    // With several clocks of one serial number, the first enumerated is the one opened.
    OpenedClock opened = openFirstClock(
        backend_, usbIds_,
        [&wanted](const HidDeviceInfo& candidate) { return listedSerial(candidate) == wanted; },
        [this](const std::string& path) { return openWhileWaiting(path); });
    if (opened.device) {
        device_ = std::make_unique<TimedDevice>(
            std::move(opened.device),
            [this](ClockRequest, PendingCall& call) { return waitForClock(call); });
        deviceInfo_ = opened.info;
        DeviceOpen = true;
    }
    if (DeviceOpen) {
        // Whatever was shown belongs to another clock, or to this one before it was lost.
        showUnknownStatus();
        lastReportAt_.reset();
        // The backend could not learn the report lengths from the report descriptor.
        if (device_->featureReportLength() == 0) {
            tellOnce("descriptor " + deviceInfo_.path,
                     QStringLiteral("%1 is open, but its report descriptor could not be "
                                    "understood, so Tarnwell cannot send it any setting.")
                         .arg(clockName(deviceInfo_)));
        }
    }
    return DeviceOpen;
}

void frmMain::refreshSerialList() {
    QStringList serials;
    std::vector<std::string> paths;
    for (const DiscoveredClock& clock : discoverAttachedClocks()) {
        const auto serial = listedSerial(clock.info);
        if (clock.openable() && serial) {
            serials.append(*serial);
            paths.push_back(clock.info.path);
        }
    }
    const auto open = std::ranges::find(paths, deviceInfo_.path);
    if (open == paths.end()) {
        // The open clock is going: its failing read drops it and rescans, as ever.
        rescanDue_ = true;
        return;
    }
    if (paths == listedPaths_)
        return;
    // Rebuilt without raising SerNo_Click: the open clock stays open and selected.
    replaceItems(SerNo, serials);
    {
        const QSignalBlocker blocker(SerNo);
        SerNo->setCurrentIndex(static_cast<int>(open - paths.begin()));
    }
    listedPaths_ = std::move(paths);
    SerNo->setEnabled(serials.size() >= 2);
}

void frmMain::showUnknownStatus() {
    Label16->clear();
    LOS->setVisible(true);
    LOL->setVisible(true);
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
    if (!shutDown_)
        Timer->start();
}

void frmMain::dropDevice() {
    DeviceOpen = false;
    std::erase_if(stuckCalls_, [](const auto& call) { return call->done(); });
    if (device_ && device_->unansweredCall() && !device_->unansweredCall()->done())
        stuckCalls_.push_back(device_->unansweredCall());
    closeDevice();
    Timer->setInterval(timing::kIntervalAfterDrop);
    ConfigLoaded = false;
    // Whatever is attached now is what the next tick must find.
    rescanDue_ = true;
}

void frmMain::closeDevice() {
    if (!device_)
        return;
    const std::shared_ptr<PendingCall> closed = device_->closed();
    const bool stuck = requestStuck();
    device_->closeInBackground();
    device_.reset();
    // Behind a stuck request its thread closes it once that returns; until then, and while the
    // close itself waits in the kernel, no clock is opened again.
    if (stuck || !waitForClock(*closed))
        stuckCalls_.push_back(closed);
}

bool frmMain::dropUnansweredClock() {
    if (!device_ || !device_->unanswered())
        return false;
    dropDevice();
    return true;
}

bool frmMain::commandGateOpen() const {
    return DeviceOpen && ConfigLoaded && device_ != nullptr;
}

void frmMain::sendCommand(const ReportBuilder& build) {
    if (!commandGateOpen())
        return;
    // The window shows nothing on a failed send; a clock that did not answer is dropped.
    static_cast<void>(sendCommandReport(*device_, build));
    static_cast<void>(dropUnansweredClock());
}

}  // namespace tarnwell
