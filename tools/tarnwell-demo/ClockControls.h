#pragma once

#include <QGroupBox>
#include <QString>

#include <memory>

#include "sim/VirtualClock.h"

class QCheckBox;
class QPlainTextEdit;
class QSpinBox;

namespace tarnwell::demo {

class SimulatorBackend;
struct SentReport;

// The simulator's controls for one clock: plug state, the status its input reports carry, a
// one-shot send failure, and the log of the reports it received. Children are named
// "PluggedIn", "GpsSignal", "PllLock", "SignalLossCount", "FailNextCommand" and "ReceivedReports".
class ClockControls : public QGroupBox {
    Q_OBJECT

public:
    ClockControls(std::shared_ptr<VirtualClock> clock, SimulatorBackend& backend,
                  QWidget* parent = nullptr);

    const VirtualClock& clock() const { return *clock_; }
    // Logs a report sent to this clock; a failed send also ends a pending "fail next command".
    void showSentReport(const SentReport& sent);

private:
    void createControls();
    void placeControls();
    void bindEvents();

    void setPluggedIn(bool pluggedIn);
    void setGpsSignal(bool present);
    void setPllLock(bool locked);
    void setSignalLossCount(int count);
    void setFailNextCommand(bool fail);
    void appendToLog(const QString& line);

    std::shared_ptr<VirtualClock> clock_;
    SimulatorBackend& backend_;
    QCheckBox* pluggedIn_ = nullptr;
    QCheckBox* gpsSignal_ = nullptr;
    QCheckBox* pllLock_ = nullptr;
    QSpinBox* signalLossCount_ = nullptr;
    QCheckBox* failNextCommand_ = nullptr;
    QPlainTextEdit* receivedReports_ = nullptr;
};

}  // namespace tarnwell::demo
