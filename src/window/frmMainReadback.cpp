#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "device/TimedDevice.h"
#include "readback/ConfigurationRead.h"
#include "readback/DriveStrengthTexts.h"
#include "readback/IdentityText.h"
#include "readback/ShownConfiguration.h"
#include "window/QtText.h"
#include "window/frmMain.h"

namespace tarnwell {

// Brings the window into step with the selected clock. Device commands stay shut for the whole
// read, so the handlers that the changing controls raise send nothing.
void frmMain::ReadDeviceConfig() {
    ConfigLoaded = false;
    Identify1On = false;
    Identify2On = false;
    resetDeviceControls();
    if (!DeviceOpen || !device_)
        return;

    showIdentity();
    Frame1->setEnabled(true);
    enableDeviceControls();
    // A failed read leaves the controls enabled and empty; the clock can still be programmed.
    showConfiguration();
    if (dropUnansweredClock())
        return;
    ConfigLoaded = true;
}

// OUT2, BW, the readouts, the software version, SerNo, the warnings and the register-write row
// keep what they show.
void frmMain::resetDeviceControls() {
    lblManuf->clear();
    lblProduct->clear();
    lblVersion->clear();
    replaceItems(Enc1, {});
    Enc1->setEnabled(false);
    OUT1ID->setEnabled(false);
    OUT2ID->setEnabled(false);
    OUT1EN->setChecked(false);
    OUT2EN->setChecked(false);
    OUT1EN->setEnabled(false);
    OUT2EN->setEnabled(false);
    Out1Freq->clear();
    Out1Freq->setEnabled(false);
    FindFreq->setEnabled(false);
    SetFreq->setEnabled(false);
    for (QLineEdit* box : {GPS, N31, N2_HS, N2_LS, N1_HS, NC1_LS, NC2_LS})
        box->clear();
    replaceItems(PhaseBox, {});
    PhaseBox->setEnabled(false);
    Frame3->setEnabled(false);
}

// A string that cannot be read leaves its label empty; the firmware version is shown with the
// manufacturer.
void frmMain::showIdentity() {
    const ClockIdentity identity = readIdentity(*device_, waitForDevice_);
    if (identity.manufacturer) {
        lblManuf->setText(QStringLiteral(" ") + latin1Text(*identity.manufacturer));
        lblVersion->setText(latin1Text(firmwareVersionText(deviceInfo_.releaseNumber)));
    }
    if (identity.product)
        lblProduct->setText(QStringLiteral(" ") + latin1Text(*identity.product));
}

void frmMain::enableDeviceControls() {
    QStringList driveStrengths;
    for (const std::string_view text : kDriveStrengthTexts)
        driveStrengths << latin1Text(text);
    replaceItems(Enc1, driveStrengths);
    Enc1->setCurrentIndex(0);
    Enc1->setEnabled(true);
    for (QWidget* control : std::initializer_list<QWidget*>{OUT1ID, OUT2ID, OUT1EN, OUT2EN,
                                                            Out1Freq, FindFreq, SetFreq, Frame3}) {
        control->setEnabled(true);
    }
}

// Shows nothing when the report cannot be read or is too short to hold the configuration.
void frmMain::showConfiguration() {
    const std::optional<DeviceConfiguration> configuration =
        readConfiguration(*device_, waitForDevice_);
    if (!configuration)
        return;

    OUT1EN->setChecked(configuration->output1Enabled);
    OUT2EN->setChecked(configuration->output2Enabled);
    Enc1->setCurrentIndex(configuration->driveIndex);

    const PllSettings& pll = configuration->pll;
    GPS->setText(QString::number(pll.gps));
    N31->setText(QString::number(pll.n31));
    N2_HS->setText(QString::number(pll.n2hs));
    N2_LS->setText(QString::number(pll.n2ls));
    N1_HS->setText(QString::number(pll.n1hs));
    NC1_LS->setText(QString::number(pll.nc1ls));
    NC2_LS->setText(QString::number(pll.nc2ls));
    const ShownConfiguration shown = shownConfiguration(*configuration, locale_);
    replaceItems(PhaseBox, latin1Texts(shown.phaseTexts));
    PhaseBox->setCurrentIndex(0);
    BW->setText(QString::number(pll.bw));

    Out1Freq->setText(latin1Text(shown.out1Text));
    F3lbl->setText(latin1Text(shown.f3Caption));
    Fosclbl->setText(latin1Text(shown.foscCaption));

    // Selecting the entry rewrites NC2_LS and fills the phase list again (OUT2_Click).
    fillOut2(shown.out2Texts, 0);
    OUT2->setCurrentIndex(shown.out2Selected);
    OUT2->setEnabled(true);

    // After both list rebuilds, which select the first phase entry.
    PhaseBox->setCurrentIndex(shown.phaseSelected);
}

}  // namespace tarnwell
