#include <QComboBox>
#include <QLineEdit>

#include "window/QtText.h"
#include "window/frmMain.h"
#include "planning/PllModel.h"
#include "planning/SetFrequencyCommand.h"

namespace tarnwell {

namespace {

QString notANumberText(const QLineEdit* box) {
    return box->objectName() + QStringLiteral(" must be a number.");
}

}  // namespace

// A refused record, told in the words of the window's controls.
QString frmMain::refusalText(const PllRefusal& refusal) const {
    if (refusal.rule == PllRule::NothingSelected)
        return QStringLiteral("Pick a phase shift first; Find fills an empty phase list.");
    switch (refusal.field) {
        case PllField::BW:
            return QStringLiteral("BW must be a number from 0 to 255.");
        case PllField::PhaseIndex:
            return QStringLiteral("The phase list has more entries than the clock can take.");
        default:
            break;
    }
    // The clamp keeps the dividers far inside their fields; only a damaged box gets here.
    const QLineEdit* box = pllBoxes()[static_cast<std::size_t>(refusal.field)];
    return box->objectName() + QStringLiteral(" is too large or too small for the clock.");
}

void frmMain::SetFreq_Click() {
    // While a search runs, the boxes show its loop values rather than a setting.
    if (searchRunning_ || !commandGateOpen())
        return;
    ClampDividers();
    // The second copy is read from the controls again, so it carries the phase entry as the
    // recomputed output 1 left it.
    for (int pass = 0; pass < kProgrammingPasses && commandGateOpen(); ++pass) {
        const std::optional<PllSettingsBytes> settings = pllSettingsFromControls();
        if (!settings)
            return;
        // A failed send is not told (the next configuration read shows the clock's state).
        (void)sendCommand(
            [&settings](std::size_t length) { return setFrequencyReport(*settings, length); });
        showProgrammedFrequencies(decodePllSettings(*settings));
    }
}

void frmMain::ClampDividers() {
    const auto boxes = pllBoxes();
    PllBoxTexts texts;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        texts[i] = boxes[i]->text().toStdString();
    clampDividers(texts, locale_);
    // Only corrected boxes are written: the rest keep their text exactly as typed.
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const QString clamped = QString::fromStdString(texts[i]);
        if (boxes[i]->text() != clamped)
            boxes[i]->setText(clamped);
    }
}

// In the order of the divider limits.
std::array<QLineEdit*, kPllBoxCount> frmMain::pllBoxes() const {
    return {GPS, N31, N2_HS, N2_LS, N1_HS, NC1_LS, NC2_LS};
}

std::optional<PllSettingsBytes> frmMain::pllSettingsFromControls() {
    std::array<double, kPllBoxCount> v{};
    const auto boxes = pllBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const std::optional<double> value = boxNumber(boxes[i]);
        if (!value) {
            showWarning_(*this, QStringLiteral("Update"), notANumberText(boxes[i]));
            return std::nullopt;
        }
        v[i] = *value;
    }
    const auto at = [&v](PllBox box) { return v[static_cast<std::size_t>(box)]; };
    // A BW that is not a number is refused as one out of range, and no selection as phase -1.
    const PllEncoding encoding =
        encodePllSettings({at(PllBox::GPS), at(PllBox::N31), at(PllBox::N2_HS), at(PllBox::N2_LS),
                           at(PllBox::N1_HS), at(PllBox::NC1_LS), at(PllBox::NC2_LS),
                           PhaseBox->currentIndex(), boxNumber(BW).value_or(-1)});
    if (!encoding) {
        showWarning_(*this, QStringLiteral("Update"), refusalText(*encoding.refusal));
        return std::nullopt;
    }
    return encoding.bytes;
}

// Output 1, F3 and Fosc of the record just sent: a hand-typed fraction went out rounded, and the
// readouts say what the clock has, not what the box holds.
void frmMain::showProgrammedFrequencies(const PllSettings& sent) {
    const PllBoxValues pll = pllValuesOf(sent);
    const QString out1 = numberText(output1Frequency(pll));
    // Only a changed text raises Out1Freq's handler, which rebuilds the phase list.
    if (Out1Freq->text() != out1)
        Out1Freq->setText(out1);
    showReadouts(pll);
}

}  // namespace tarnwell
