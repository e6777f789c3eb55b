#include "window/frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QTimer>

#include <thread>
#include <utility>

#include "device/TimedDevice.h"
#include "window/WindowLocale.h"

namespace tarnwell {

namespace {

constexpr double kFontPoints = 9.75;

template <typename Control, typename... Args>
Control* named(const char* objectName, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)...);
    control->setObjectName(QString::fromLatin1(objectName));
    return control;
}

QFrame* separator(const char* objectName, QWidget* parent) {
    auto* line = named<QFrame>(objectName, parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

frmMain::frmMain(HidBackend& backend, DeviceWait waitForDevice, WarningBox showWarning,
                 ChoiceBox askChoice, QWidget* parent)
    : QWidget(parent),
      backend_(backend),
      waitForDevice_(std::move(waitForDevice)),
      showWarning_(std::move(showWarning)),
      askChoice_(std::move(askChoice)),
      locale_(numberLocaleOf(QLocale())) {
    if (!askChoice_)  // before the warning box gets its default: it decides which question box
        askChoice_ = defaultChoiceBox(showWarning_);
    if (!waitForDevice_) {
        waitForDevice_ = [](std::chrono::milliseconds pause) {
            std::this_thread::sleep_for(pause);
        };
    }
    if (!showWarning_) {
        showWarning_ = [](QWidget& parent, const QString& title, const QString& text) {
            QMessageBox::warning(&parent, title, text);
        };
    }
    now_ = [] { return std::chrono::steady_clock::now(); };
    permissionLook_ = [] { return permissionFactsHere(thisPlatform()); };
    setNoticeBox({});
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarnwell"));
    createControls();
    applyFonts();
    placeControls();
    setInitialStates();
    bindEvents();
    watchDeviceChanges();
}

// Out of line so that the unique_ptr to the device is destroyed where TimedDevice is complete.
frmMain::~frmMain() {
    // No events are waited for here: the device closes at once, or, behind a stuck request, on
    // its own thread.
    if (device_ && requestStuck())
        device_->closeInBackground();
}

void frmMain::createControls() {
    Frame1 = named<QGroupBox>("Frame1", "Device details", this);
    Label3 = named<QLabel>("Label3", "Serial Number", Frame1);
    SerNo = named<QComboBox>("SerNo", Frame1);
    Label4 = named<QLabel>("Label4", "Manufacturer", Frame1);
    lblManuf = named<QLabel>("lblManuf", Frame1);
    Label5 = named<QLabel>("Label5", "Product", Frame1);
    lblProduct = named<QLabel>("lblProduct", Frame1);
    Label2 = named<QLabel>("Label2", "Firmware Version", Frame1);
    lblVersion = named<QLabel>("lblVersion", Frame1);
    Label17 = named<QLabel>("Label17", "Software Version", Frame1);
    lblSoftware = named<QLabel>("lblSoftware", Frame1);
    Timer = named<QTimer>("Timer", this);

    Frame3 = named<QGroupBox>("Frame3", "Settings", this);
    OUT1EN = named<QCheckBox>("OUT1EN", "Enable Output 1", Frame3);
    OUT1ID = named<QPushButton>("OUT1ID", "Identify Output 1", Frame3);
    OUT2EN = named<QCheckBox>("OUT2EN", "Enable Output 2", Frame3);
    OUT2ID = named<QPushButton>("OUT2ID", "Identify Output 2", Frame3);
    Enc1 = named<QComboBox>("Enc1", Frame3);
    Label22 = named<QLabel>("Label22", "Output drive strength", Frame3);
    Out1Freq = named<QLineEdit>("Out1Freq", Frame3);
    Label1 = named<QLabel>("Label1", "Output 1, Hz", Frame3);
    Label13 = named<QLabel>("Label13", Frame3);
    OUT2 = named<QComboBox>("OUT2", Frame3);
    Label6 = named<QLabel>("Label6", "Output 2, Hz", Frame3);
    FindFreq = named<QPushButton>("FindFreq", "Find", Frame3);
    SetFreq = named<QPushButton>("SetFreq", "Update", Frame3);
    Sleep_cmd = named<QPushButton>("Sleep_cmd", "Sleep", Frame3);
    Line1 = separator("Line1", Frame3);
    GPS = named<QLineEdit>("GPS", Frame3);
    Label23 = named<QLabel>("Label23", "GPS reference, Hz", Frame3);
    N31 = named<QLineEdit>("N31", Frame3);
    Label24 = named<QLabel>("Label24", "N31", Frame3);
    N2_HS = named<QLineEdit>("N2_HS", Frame3);
    Label7 = named<QLabel>("Label7", "N2_HS", Frame3);
    N2_LS = named<QLineEdit>("N2_LS", Frame3);
    Label8 = named<QLabel>("Label8", "N2_LS", Frame3);
    N1_HS = named<QLineEdit>("N1_HS", Frame3);
    Label9 = named<QLabel>("Label9", "N1_HS", Frame3);
    NC1_LS = named<QLineEdit>("NC1_LS", Frame3);
    Label10 = named<QLabel>("Label10", "NC1_LS", Frame3);
    NC2_LS = named<QLineEdit>("NC2_LS", Frame3);
    Label11 = named<QLabel>("Label11", "NC2_LS", Frame3);
    Line2 = separator("Line2", Frame3);
    PhaseBox = named<QComboBox>("PhaseBox", Frame3);
    Label12 = named<QLabel>("Label12", "Phase shift, degrees", Frame3);
    BW = named<QLineEdit>("BW", Frame3);
    Label15 = named<QLabel>("Label15", "BW", Frame3);
    F3lbl = named<QLabel>("F3lbl", Frame3);
    Fosclbl = named<QLabel>("Fosclbl", Frame3);
    LOS = named<QLabel>("LOS", "No GPS signal", Frame3);
    Label16 = named<QLabel>("Label16", Frame3);
    LOL = named<QLabel>("LOL", "No PLL lock", Frame3);

    // The paging buttons sit on the window, over the end of the OUT2 row, so they stay usable
    // whatever the frame's state.
    BtnPrev = named<QPushButton>("BtnPrev", "<--", this);
    BtnNxt = named<QPushButton>("BtnNxt", "-->", this);

    REG = named<QLineEdit>("REG", this);
    DATA = named<QLineEdit>("DATA", this);
    WriteRegister = named<QPushButton>("WriteRegister", "Register write", this);
    REG->setPlaceholderText(QStringLiteral("Register"));
    DATA->setPlaceholderText(QStringLiteral("Value"));

    // Up to 32701 output-2 entries: equal heights let the popup skip measuring each one.
    if (auto* view = qobject_cast<QListView*>(OUT2->view()))
        view->setUniformItemSizes(true);
}

void frmMain::applyFonts() {
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(kFontPoints);
    setFont(arial);

    QFont warning(QStringLiteral("Arial Black"));
    warning.setPointSizeF(kFontPoints);
    warning.setWeight(QFont::Black);
    for (QLabel* label : {LOS, LOL}) {
        label->setFont(warning);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        label->setPalette(palette);
    }

    // Device details read as display fields, like the boxes of the settings below.
    for (QLabel* field : {lblManuf, lblProduct, lblVersion, lblSoftware}) {
        field->setAutoFillBackground(true);
        field->setBackgroundRole(QPalette::Base);
        field->setForegroundRole(QPalette::Text);
    }
}

void frmMain::setInitialStates() {
    Frame1->setEnabled(false);
    SerNo->setEnabled(false);
    Enc1->setEnabled(false);
    OUT2->setEnabled(false);
    PhaseBox->setEnabled(false);
    BtnPrev->hide();
    BtnNxt->hide();
    Timer->setInterval(timing::kDesignTimerInterval);
}

}  // namespace tarnwell
