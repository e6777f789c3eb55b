#include <QComboBox>
#include <QLineEdit>

#include <string_view>

#include "app/QtText.h"
#include "app/frmMain.h"
#include "planning/PllModel.h"
#include "planning/SetFrequencyCommand.h"

namespace tarnwell {

namespace {

QString refusalText(std::string_view field) {
    if (field == "BW")
        return QStringLiteral("BW must be a number from 0 to 255.");
    if (field == "PhaseBox")
        return QStringLiteral("Pick a phase shift first; Find fills an empty phase list.");
    return latin1Text(field) + QStringLiteral(" must be a whole number.");
}

}  // namespace

void frmMain::SetFreq_Click() {
    // While a search runs, the boxes show its loop values rather than a setting.
    if (SearchRunning || !commandGateOpen())
        return;
    ClampDividers();
    // The second copy is read from the controls again, so it carries the phase entry as the
    // recomputed output 1 left it.
    for (int pass = 0; pass < kProgrammingPasses && commandGateOpen(); ++pass) {
        const std::optional<PllSettingsBytes> settings = pllSettingsFromControls();
        if (!settings)
            return;
        sendCommand(
            [&settings](std::size_t length) { return setFrequencyReport(*settings, length); });
        showProgrammedFrequencies();
    }
}

void frmMain::ClampDividers() {
    const auto boxes = pllBoxes();
    PllBoxTexts texts;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        texts[i] = boxes[i]->text().toStdString();
    clampDividers(texts, Locale);
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
            ShowWarning(*this, QStringLiteral("Update"), refusalText(kDividerLimits[i].name));
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
        ShowWarning(*this, QStringLiteral("Update"), refusalText(encoding.refusedField));
        return std::nullopt;
    }
    return encoding.bytes;
}

// Output 1, F3 and Fosc of the boxes just programmed, which all hold numbers.
void frmMain::showProgrammedFrequencies() {
    const auto box = [this](QLineEdit* b) { return boxNumber(b).value_or(0); };
    const QString out1 = numberText(
        output1Frequency(box(GPS), box(N31), box(N2_LS), box(N2_HS), box(N1_HS), box(NC1_LS)));
    // Only a changed text raises Out1Freq's handler, which rebuilds the phase list.
    if (Out1Freq->text() != out1)
        Out1Freq->setText(out1);
    showReadouts();
}

}  // namespace tarnwell
