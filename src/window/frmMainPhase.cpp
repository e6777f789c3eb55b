#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "planning/PhaseList.h"
#include "planning/PllModel.h"
#include "window/QtText.h"
#include "window/frmMain.h"

namespace tarnwell {

// A phase shift only means something when output 2 shows exactly the text typed for output 1.
void frmMain::UpdatePhaseBox() {
    if (Out1Freq->text() != OUT2->currentText()) {
        PhaseBox->setEnabled(false);
        FillPhaseBox();
    } else {
        FillPhaseBox();
        PhaseBox->setEnabled(true);
    }
}

void frmMain::FillPhaseBox() {
    replaceItems(PhaseBox, latin1Texts(phaseEntries(NC1_LS->text().toStdString(), locale_)));
    PhaseBox->setCurrentIndex(0);
}

// Blank when the boxes do not hold the numbers the readouts are made of.
void frmMain::showReadouts() {
    const auto gps = boxNumber(GPS);
    const auto n31 = boxNumber(N31);
    const auto n2hs = boxNumber(N2_HS);
    const auto n2ls = boxNumber(N2_LS);
    if (!gps || !n31 || !n2hs || !n2ls) {
        F3lbl->clear();
        Fosclbl->clear();
        return;
    }
    showReadouts({.gps = *gps, .n31 = *n31, .n2hs = *n2hs, .n2ls = *n2ls});
}

void frmMain::showReadouts(const PllBoxValues& pll) {
    F3lbl->setText(latin1Text(f3Caption(pll, locale_)));
    Fosclbl->setText(latin1Text(foscCaption(pll, locale_)));
}

}  // namespace tarnwell
