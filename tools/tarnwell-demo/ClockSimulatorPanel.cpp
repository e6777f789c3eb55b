#include "ClockSimulatorPanel.h"

#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

#include "ClockControls.h"
#include "SimulatorBackend.h"

namespace tarnwell::demo {

ClockSimulatorPanel::ClockSimulatorPanel(SimulatorBackend& backend, QWidget* parent)
    : QWidget(parent), backend_(backend) {
    setObjectName(QStringLiteral("ClockSimulatorPanel"));
    setWindowTitle(QStringLiteral("Clock simulator"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(
        QStringLiteral("The main window sees changes made here on its next poll, twice a second."),
        this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    for (const auto& clock : backend_.clocks()) {
        auto* controls = new ClockControls(clock, backend_, this);
        controls->setObjectName(QStringLiteral("Clock%1").arg(clocks_.size() + 1));
        layout->addWidget(controls, 1);
        clocks_.push_back(controls);
    }
    backend_.setSendListener([this](const SentReport& sent) {
        const auto controls = std::ranges::find_if(
            clocks_, [&sent](const ClockControls* c) { return &c->clock() == &sent.clock; });
        if (controls != clocks_.end())
            (*controls)->showSentReport(sent);
    });
}

// The window may outlive this panel by a moment; its sends must not reach a destroyed log.
ClockSimulatorPanel::~ClockSimulatorPanel() {
    backend_.setSendListener({});
}

}  // namespace tarnwell::demo
