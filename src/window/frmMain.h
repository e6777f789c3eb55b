#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/NumberText.h"
#include "device/ClockDiscovery.h"
#include "device/ClockExchange.h"
#include "device/FeatureReport.h"
#include "device/HidBackend.h"
#include "host/UdevRule.h"
#include "host/UsbIdSettings.h"
#include "planning/DividerLimits.h"
#include "planning/PllSettings.h"
#include "window/WindowTiming.h"

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QEventLoop;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSocketNotifier;
class QTimer;

namespace tarnwell {

struct DividerPlan;
struct ExhaustedLoops;
struct SearchProgress;
class PendingCall;
class TimedDevice;

// The one window of the tool: every control, the connection to the selected clock and every
// handler. Behaviour is defined next to the subsystem it belongs to (device/, readback/,
// planning/, commands/); this header is the window's whole surface.
//
// Fixed names: the controls, the handlers (Control_Event), the long-standing methods (FindTheHid,
// Scan_USB_devices, ReadDeviceConfig, PollDevice, ClampDividers, UpdatePhaseBox, FillPhaseBox)
// and state (DeviceOpen, ConfigLoaded, ScanComplete, SwitchPending,
// Identify1On, Identify2On, Out2Values, Out2ValueCount, Out2PageCount, Out2Page)
// keep the names people know them by, so are written as such. Everything else is ours and
// is written in camelCase, members ending in an underscore.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // The short pause the clock needs before each identity or configuration request.
    using DeviceWait = std::function<void(std::chrono::milliseconds)>;
    // A modal warning box owned by the window.
    using WarningBox =
        std::function<void(QWidget& parent, const QString& title, const QString& text)>;
    // A modal question owned by the window, offering one button per choice and one to close it.
    // Answers the index of the choice taken, or -1 when the box was closed without one.
    using ChoiceBox = std::function<int(QWidget& parent, const QString& title, const QString& text,
                                        const QStringList& choices)>;

    // How a handler that threw is reported (qWarning, followed by the error's text): the soak
    // listens for it.
    static constexpr char kHandlerFailedWarning[] = "Tarnwell: a handler failed";

    // Tests replace the waits, the warning box and the question box; left empty, they are a real
    // sleep and modal message boxes. With only the warning box replaced, questions go to it and
    // are answered with no choice, so that no real box can stop a test.
    explicit frmMain(HidBackend& backend, DeviceWait waitForDevice = {},
                     WarningBox showWarning = {}, ChoiceBox askChoice = {},
                     QWidget* parent = nullptr);
    ~frmMain() override;

    // What the window tells about a clock it cannot use (one that may not be opened, one whose
    // reports cannot be understood). Never blocks: polling goes on while it is read. Left unset,
    // it is a non-modal message box.
    using NoticeBox = std::function<void(QWidget& parent, const QString& text)>;
    void setNoticeBox(NoticeBox show);
    // The USB ids that mark a clock (the build's pair until set); a malformed entry among their
    // settings is told in a notice.
    void setUsbIds(const UsbIdsInForce& ids);
    // What is true on this machine about access to clocks, for the notice about one this user may
    // not open; tests replace it. Left unset, it looks at this machine.
    using PermissionLook = std::function<PermissionFacts()>;
    void setPermissionLook(PermissionLook look) { permissionLook_ = std::move(look); }
    // The time that status age and the safety rescan are measured in; tests set it.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    void setClock(Clock clock) { now_ = std::move(clock); }

    // Lifecycle.
    void Form_Load();
    void Form_Unload();

    // Discovery and connection.
    void Scan_USB_devices();
    bool FindTheHid();
    void SerNo_Click();

    // Polling and reconnection.
    void Timer_Timer();
    void PollDevice();

    // Configuration read.
    void ReadDeviceConfig();

    // Output-2 and phase choices.
    void UpdatePhaseBox();
    void FillPhaseBox();
    // OUT2 as a search leaves it, for output 1 and NC1_LS = NC2_LS = nc: paged when too long for
    // one list, showing and selecting the entry equal to output 1.
    void ShowOut2Choices(double out1Frequency, int nc);
    void BtnNxt_Click();
    void BtnPrev_Click();

    // Frequency search and programming.
    void FindFreq_Click();
    void SetFreq_Click();
    void ClampDividers();
    // The longest the search keeps the window from its events.
    void setSearchYieldInterval(std::chrono::milliseconds interval) {
        searchYieldInterval_ = interval;
    }
    bool searchRunning() const { return searchRunning_; }

    // Output and device commands.
    void OUT1EN_Click();
    void OUT2EN_Click();
    void OUT1ID_Click();
    void OUT2ID_Click();
    void Enc1_Click();
    void Out1Freq_Change();
    void OUT2_Click();
    void Sleep_cmd_Click();
    void WriteRegister_Click();

    // What the window is doing, for tests that drive it and the soak.
    bool deviceOpen() const { return DeviceOpen; }
    bool configLoaded() const { return ConfigLoaded; }
    bool switchPending() const { return SwitchPending; }
    // Device commands go out only with a clock open and its configuration read.
    bool commandGateOpen() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void waitUntilPainted();

    // Construction.
    void createControls();
    void applyFonts();
    void placeControls();
    void setInitialStates();
    void bindEvents();
    // The one way in from the event loop; refuses every handler but closing while one waits.
    void runHandler(void (frmMain::*handler)());
    // Those refused during a wait, asked of the event loop once it is over.
    void runDeferredHandlers();
    void bindSelection(QComboBox* box, void (frmMain::*handler)());

    // Shared helpers for the handlers.
    QString numberText(double value) const;
    std::optional<double> boxNumber(const QLineEdit* box) const;
    void setBoxNumber(QLineEdit* box, double value);
    // Replaces a list's entries without raising its selection handler; ends with nothing selected.
    static void replaceItems(QComboBox* box, const QStringList& items);
    // Fills OUT2 in one go (nothing selected afterwards), then selects by the NC2_LS rule.
    void showOut2Entries(const std::vector<std::string>& texts);
    // Fills OUT2 and leaves nothing selected; the first entry stands for value firstValueIndex.
    void fillOut2(const std::vector<std::string>& texts, int firstValueIndex);
    void selectOut2ByRule();
    void showOut2Page();  // Out2Page of Out2Values, with its paging buttons; nothing selected
    // F3 and Fosc captions from the GPS, N31, N2_HS and N2_LS boxes, or from those values.
    void showReadouts();
    void showReadouts(const PllBoxValues& pll);
    // Tests the gate, builds the report and sends it. Nothing is sent when the gate is shut or
    // the clock's reports are too short for the command; a failed send is not told (the next
    // configuration read shows the clock's state).
    void sendCommand(const ReportBuilder& build);
    void dropDevice();
    // Linux makes closing any hidraw device wait while a request is stuck: the device is then
    // closed on its own thread.
    void closeDevice();
    // A clock that left a request unanswered is dropped, to be found again like a replugged one.
    // True when it was.
    bool dropUnansweredClock();
    void reconnect();
    // Waits for a call on the clock's I/O thread while the window goes on with its events, but
    // takes no user input and runs no handler; false when the answer did not come in time.
    bool waitForClock(PendingCall& call);
    // Runs the window's events, but no handler, until `over`, asked whenever the loop quits.
    void waitInLoop(QEventLoop& loop, const std::function<bool()>& over);
    OpenResult openWhileWaiting(const std::string& path);

    // Watching for clocks coming and going.
    void watchDeviceChanges();
    void noteDeviceChanges();
    void takeAnnouncedChanges();  // the change descriptor's handler
    bool scanDue() const;
    // A dropped clock's request is still stuck in the kernel: opening a clock would wait for it.
    bool requestStuck() const;
    // With no clock open and a system that announces clocks coming, a tick can find nothing: the
    // timer sleeps until an announcement or the safety rescan wakes it.
    void sleepWhileNothingToFind();
    void wakeToScan();
    // Lists our clocks (the open one is not tried again) and tells about those that cannot be
    // opened.
    std::vector<DiscoveredClock> discoverAttachedClocks();
    void tellRefusals(const std::vector<DiscoveredClock>& found);
    void tellOnce(const std::string& key, const QString& text);
    // SerNo follows clocks plugged in or out beside the open one.
    void refreshSerialList();
    // Both warnings shown and no count: nothing is known of this clock's status yet.
    void showUnknownStatus();

    // Search and programming steps.
    void showSearchProgress(const SearchProgress& at);
    void showFoundSetting(const DividerPlan& plan, double out1Frequency);
    void showSearchFailure(const ExhaustedLoops& end);
    // After a search that found nothing: the nearest exact frequencies and the closest setting,
    // offered with the "Not found" message (frmMainNearest.cpp).
    void offerNearestSettings(double out1Frequency, const ExhaustedLoops& end);
    static ChoiceBox defaultChoiceBox(const WarningBox& injectedWarning);
    std::array<QLineEdit*, kPllBoxCount> pllBoxes() const;
    // The controls as one settings record, or nothing (the user is told why) when they cannot
    // be sent as they are.
    std::optional<PllSettingsBytes> pllSettingsFromControls();
    void showProgrammedFrequencies(const PllSettings& sent);
    QString refusalText(const PllRefusal& refusal) const;

    // Configuration read steps.
    void resetDeviceControls();
    void showIdentity();
    void enableDeviceControls();
    void showConfiguration();

    // Platform hooks.
    HidBackend& backend_;
    DeviceWait waitForDevice_;
    WarningBox showWarning_;
    ChoiceBox askChoice_;
    NumberLocale locale_;

    // Connection state.
    std::unique_ptr<TimedDevice> device_;  // both handles of the open clock, on its I/O thread
    std::vector<std::shared_ptr<const PendingCall>> stuckCalls_;  // of clocks dropped for them
    HidDeviceInfo deviceInfo_;  // as listed when opened; release number = firmware version
    bool DeviceOpen = false;
    bool ConfigLoaded = false;
    bool ScanComplete = false;
    bool SwitchPending = false;
    // For the clock, or at start-up for the window to be on screen.
    bool handlerWaiting_ = false;
    std::vector<void (frmMain::*)()> deferredHandlers_;
    bool shutDown_ = false;  // by Form_Unload; nothing starts the timer again
    // A user pick that changes SerNo raises both the change and the activation; only one runs.
    bool serNoChangedBeforeActivation_ = false;

    // Enumerating only when something can have changed.
    Clock now_;
    QSocketNotifier* changeNotifier_ = nullptr;
    bool rescanDue_ = true;
    bool sleeping_ = false;           // the timer, stopped by sleepWhileNothingToFind()
    QTimer* safetyRescan_ = nullptr;  // wakes a sleeping timer for the safety rescan
    std::chrono::steady_clock::time_point lastScanAt_;
    std::vector<std::string> listedPaths_;  // of SerNo's entries
    // The open clock's last report; nothing until its first.
    std::optional<std::chrono::steady_clock::time_point> lastReportAt_;

    UsbIdList usbIds_ = defaultUsbIds();
    PermissionLook permissionLook_;

    // Notices about clocks that cannot be used, each said once per attach.
    NoticeBox showNotice_;
    std::set<std::string> refusedAtLastScan_;  // paths
    std::set<std::string> toldNotices_;        // keys: what was told, and about which path

    // Identify toggles.
    bool Identify1On = false;
    bool Identify2On = false;

    // The output-2 list when it is too long to show at once.
    std::vector<double> Out2Values;
    int Out2ValueCount = 0;
    int Out2PageCount = 0;
    int Out2Page = 0;
    int out2FirstShown_ = 0;  // value index of OUT2's first entry

    // The search yields to the window's events while it runs.
    bool searchRunning_ = false;
    std::chrono::milliseconds searchYieldInterval_ = timing::kSearchYieldInterval;

    // Device details.
    QGroupBox* Frame1 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* SerNo = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblManuf = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblProduct = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* lblSoftware = nullptr;
    QTimer* Timer = nullptr;

    // Settings.
    QGroupBox* Frame3 = nullptr;
    QCheckBox* OUT1EN = nullptr;
    QPushButton* OUT1ID = nullptr;
    QCheckBox* OUT2EN = nullptr;
    QPushButton* OUT2ID = nullptr;
    QComboBox* Enc1 = nullptr;
    QLabel* Label22 = nullptr;
    QLineEdit* Out1Freq = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label13 = nullptr;
    QComboBox* OUT2 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* BtnPrev = nullptr;
    QPushButton* BtnNxt = nullptr;
    QPushButton* FindFreq = nullptr;
    QPushButton* SetFreq = nullptr;
    QPushButton* Sleep_cmd = nullptr;
    QFrame* Line1 = nullptr;
    QLineEdit* GPS = nullptr;
    QLabel* Label23 = nullptr;
    QLineEdit* N31 = nullptr;
    QLabel* Label24 = nullptr;
    QLineEdit* N2_HS = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* N2_LS = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* N1_HS = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* NC1_LS = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* NC2_LS = nullptr;
    QLabel* Label11 = nullptr;
    QFrame* Line2 = nullptr;
    QComboBox* PhaseBox = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* BW = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* F3lbl = nullptr;
    QLabel* Fosclbl = nullptr;
    QLabel* LOS = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* LOL = nullptr;

    // Register write.
    QLineEdit* REG = nullptr;
    QLineEdit* DATA = nullptr;
    QPushButton* WriteRegister = nullptr;
};

}  // namespace tarnwell
