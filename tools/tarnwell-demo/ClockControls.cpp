#include "ClockControls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTime>

#include <cstdint>
#include <limits>
#include <utility>

#include "SimulatorBackend.h"
#include "sim/ReportDescription.h"

namespace tarnwell::demo {

namespace {

// Enough for a long session of clicking; older lines scroll away.
constexpr int kLogLines = 1000;

template <typename Control, typename... Args>
Control* named(const char* objectName, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)...);
    control->setObjectName(QString::fromLatin1(objectName));
    return control;
}

QString serialText(const VirtualClock& clock) {
    const auto& serial = clock.description().serial;
    return serial ? QString::fromStdU16String(*serial) : QStringLiteral("(no serial)");
}

}  // namespace

ClockControls::ClockControls(std::shared_ptr<VirtualClock> clock, SimulatorBackend& backend,
                             QWidget* parent)
    : QGroupBox(parent), clock_(std::move(clock)), backend_(backend) {
    setTitle(QStringLiteral("Clock %1").arg(serialText(*clock_)));
    createControls();
    placeControls();
    bindEvents();
}

void ClockControls::createControls() {
    const InputStatus& status = clock_->state().status;
    pluggedIn_ = named<QCheckBox>("PluggedIn", QStringLiteral("Plugged in"), this);
    pluggedIn_->setChecked(clock_->pluggedIn());
    gpsSignal_ = named<QCheckBox>("GpsSignal", QStringLiteral("GPS signal"), this);
    gpsSignal_->setChecked(!status.noGpsSignal);
    pllLock_ = named<QCheckBox>("PllLock", QStringLiteral("PLL lock"), this);
    pllLock_->setChecked(!status.noPllLock);
    signalLossCount_ = named<QSpinBox>("SignalLossCount", this);
    signalLossCount_->setRange(0, std::numeric_limits<std::uint8_t>::max());
    signalLossCount_->setValue(status.signalLossCount);
    failNextCommand_ =
        named<QCheckBox>("FailNextCommand", QStringLiteral("Fail next command"), this);
    failNextCommand_->setChecked(backend_.nextSendFails(*clock_));
    receivedReports_ = named<QPlainTextEdit>("ReceivedReports", this);
    receivedReports_->setReadOnly(true);
    receivedReports_->setMaximumBlockCount(kLogLines);
    receivedReports_->setPlaceholderText(QStringLiteral("Reports the clock receives appear here."));
}

void ClockControls::placeControls() {
    auto* grid = new QGridLayout(this);
    grid->addWidget(pluggedIn_, 0, 0);
    grid->addWidget(gpsSignal_, 0, 1);
    grid->addWidget(pllLock_, 0, 2);
    auto* lossLabel = new QLabel(QStringLiteral("Signal losses"), this);
    lossLabel->setBuddy(signalLossCount_);
    grid->addWidget(lossLabel, 1, 0);
    grid->addWidget(signalLossCount_, 1, 1);
    grid->addWidget(failNextCommand_, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Received reports"), this), 2, 0, 1, 3);
    grid->addWidget(receivedReports_, 3, 0, 1, 3);
    grid->setRowStretch(3, 1);
}

void ClockControls::bindEvents() {
    connect(pluggedIn_, &QCheckBox::toggled, this, &ClockControls::setPluggedIn);
    connect(gpsSignal_, &QCheckBox::toggled, this, &ClockControls::setGpsSignal);
    connect(pllLock_, &QCheckBox::toggled, this, &ClockControls::setPllLock);
    connect(signalLossCount_, &QSpinBox::valueChanged, this, &ClockControls::setSignalLossCount);
    connect(failNextCommand_, &QCheckBox::toggled, this, &ClockControls::setFailNextCommand);
}

void ClockControls::setPluggedIn(bool pluggedIn) {
    if (pluggedIn) {
        clock_->plugIn();
        appendToLog(QStringLiteral("(plugged in)"));
    } else {
        clock_->unplug();
        appendToLog(QStringLiteral("(unplugged)"));
    }
}

// The status bits say what is missing: no GPS signal, no PLL lock.
void ClockControls::setGpsSignal(bool present) {
    clock_->state().status.noGpsSignal = !present;
}

void ClockControls::setPllLock(bool locked) {
    clock_->state().status.noPllLock = !locked;
}

void ClockControls::setSignalLossCount(int count) {
    clock_->state().status.signalLossCount = static_cast<std::uint8_t>(count);
}

void ClockControls::setFailNextCommand(bool fail) {
    backend_.setNextSendFails(*clock_, fail);
}

void ClockControls::showSentReport(const SentReport& sent) {
    const QString description = QString::fromStdString(describeFeatureReport(sent.bytes));
    appendToLog(sent.accepted ? description : QStringLiteral("send failed: ") + description);
    const QSignalBlocker blocker(failNextCommand_);
    failNextCommand_->setChecked(backend_.nextSendFails(*clock_));
}

void ClockControls::appendToLog(const QString& line) {
    receivedReports_->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss  ")) +
                                      line);
}

}  // namespace tarnwell::demo
