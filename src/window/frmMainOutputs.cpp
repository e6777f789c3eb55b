#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "commands/CommandPayloads.h"
#include "planning/Output2List.h"
#include "window/frmMain.h"

namespace tarnwell {

// Both outputs go together, whichever box changed.
void frmMain::OUT1EN_Click() {
    const bool output1 = OUT1EN->isChecked();
    const bool output2 = OUT2EN->isChecked();
    sendCommand([output1, output2](std::size_t length) {
        return outputEnableReport(output1, output2, length);
    });
}

void frmMain::OUT2EN_Click() {
    OUT1EN_Click();
}

// The clock identifies one output at a time; either button moves the identification to its
// output, and pressing it again turns it off. The toggles move whenever the gate is open, even
// when the send fails, so the next press asks for the other state.
void frmMain::OUT1ID_Click() {
    if (!commandGateOpen())
        return;
    const auto selection = Identify1On ? IdentifySelection::Off : IdentifySelection::Output1;
    Identify1On = !Identify1On;
    sendCommand([selection](std::size_t length) { return identifyReport(selection, length); });
    Identify2On = false;
}

void frmMain::OUT2ID_Click() {
    if (!commandGateOpen())
        return;
    const auto selection = Identify2On ? IdentifySelection::Off : IdentifySelection::Output2;
    Identify2On = !Identify2On;
    sendCommand([selection](std::size_t length) { return identifyReport(selection, length); });
    Identify1On = false;
}

void frmMain::Enc1_Click() {
    const int driveIndex = Enc1->currentIndex();
    if (driveIndex < 0)
        return;
    sendCommand(
        [driveIndex](std::size_t length) { return driveStrengthReport(driveIndex, length); });
}

void frmMain::Out1Freq_Change() {
    UpdatePhaseBox();
}

void frmMain::OUT2_Click() {
    const int index = OUT2->currentIndex();
    if (index < 0)
        return;
    // The divider of the value shown, on whichever page of the list.
    NC2_LS->setText(QString::number(out2DividerForIndex(out2FirstShown_ + index)));
    UpdatePhaseBox();
}

}  // namespace tarnwell
