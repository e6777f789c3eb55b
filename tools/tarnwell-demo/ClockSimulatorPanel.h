#pragma once

#include <QWidget>

#include <vector>

namespace tarnwell::demo {

class ClockControls;
class SimulatorBackend;

// The "Clock simulator" window: one group of controls per simulated clock (see ClockControls),
// named "Clock1", "Clock2", ... in the order the clocks were added.
class ClockSimulatorPanel : public QWidget {
    Q_OBJECT

public:
    explicit ClockSimulatorPanel(SimulatorBackend& backend, QWidget* parent = nullptr);
    ~ClockSimulatorPanel() override;

private:
    SimulatorBackend& backend_;
    std::vector<ClockControls*> clocks_;
};

}  // namespace tarnwell::demo
