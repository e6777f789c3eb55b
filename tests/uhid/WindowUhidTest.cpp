// The window on the hidapi backend against clocks that the kernel hosts through /dev/uhid:
// start-up, programming, unplug and replug, and two clocks, as a user at the machine would see
// them. Runs inside the test VM with the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <thread>

#include "OffscreenApplication.h"
#include "UhidClockProcess.h"
#include "device/FeatureReport.h"
#include "hid/HidapiBackend.h"
#include "window/frmMain.h"

namespace tarnwell {
namespace {

using namespace std::chrono_literals;
using uhidclock::LoggedReport;
using uhidclock::UhidClockProcess;

constexpr auto kAppearTimeout = 5s;
// Reconnection runs on the 250 ms poll; emulation without KVM makes every step slower.
constexpr auto kReconnectTimeout = 10s;

class WindowOnUhid : public ::testing::Test {
protected:
    void SetUp() override {
        if (!uhidclock::uhidAvailable()) {
            GTEST_SKIP() << "needs /dev/uhid: runs inside the VM of scripts/uhid-vm/run.sh";
        }
        tarnwell::testing::ensureOffscreenApplication();
    }

    void TearDown() override {
        if (window) {
            window->Form_Unload();
        }
    }

    // Opens the window once the backend lists this many clocks, as a user starting the tool would.
    void startWindow(std::size_t clockCount) {
        ASSERT_TRUE(uhidclock::eventually(
            [&] {
                const auto found = backend.enumerate(DeviceVendorId, DeviceProductId);
                return found.size() == clockCount &&
                       std::ranges::all_of(found, [](const HidDeviceInfo& clock) {
                           return uhidclock::nodeAsExpected(clock.path);
                       });
            },
            kAppearTimeout));
        // The real pauses before device requests: the clock is real here too.
        window = std::make_unique<frmMain>(
            backend, frmMain::DeviceWait{},
            [this](QWidget&, const QString&, const QString& text) { warnings << text; });
        window->setNoticeBox([this](QWidget&, const QString& text) { notices << text; });
        QObject::connect(control<QTimer>("Timer"), &QTimer::timeout, [this] { ++ticks; });
        window->Form_Load();
    }

    template <typename Control>
    Control* control(const char* name) {
        Control* found = window->findChild<Control*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* box) { return control<QLineEdit>(box)->text(); }

    bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
        return uhidclock::eventually(condition, timeout, [] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(5ms);
        });
    }
    // Runs the event loop until the window's timer has fired that many more times.
    bool pumpTicks(int count) {
        const int target = ticks + count;
        return pumpUntil([&] { return ticks >= target; }, kReconnectTimeout);
    }

    QStringList serials() {
        QStringList items;
        QComboBox* list = control<QComboBox>("SerNo");
        for (int i = 0; i < list->count(); ++i) {
            items << list->itemText(i);
        }
        return items;
    }

    bool showsReadyClock() { return window->deviceOpen() && window->configLoaded(); }

    HidapiBackend backend;
    std::unique_ptr<frmMain> window;
    QStringList warnings;
    QStringList notices;
    int ticks = 0;
};

std::vector<LoggedReport> setFeatureReports(const std::vector<LoggedReport>& log,
                                            CommandCode code) {
    std::vector<LoggedReport> found;
    for (const LoggedReport& report : log) {
        if (report.kind == "set-feature" && report.bytes.size() > 1 &&
            report.bytes[1] == static_cast<std::uint8_t>(code)) {
            found.push_back(report);
        }
    }
    return found;
}

TEST_F(WindowOnUhid, StartUpOpensTheClockAndShowsItsConfigurationAndStatus) {
    UhidClockProcess rig({"UHID-W1"});
    ASSERT_TRUE(rig.running());
    ASSERT_TRUE(rig.request("status UHID-W1 7 2").ok);
    startWindow(1);

    EXPECT_EQ(serials(), QStringList{"UHID-W1"});
    EXPECT_FALSE(control<QComboBox>("SerNo")->isEnabled()) << "one clock: nothing to choose";
    ASSERT_TRUE(showsReadyClock());
    EXPECT_EQ(control<QLabel>("lblProduct")->text(), " Tarnwell uhid clock");
    // The clock's factory setting, read through the kernel.
    EXPECT_EQ(text("GPS"), "10000000");
    EXPECT_EQ(text("N31"), "1000");
    EXPECT_EQ(text("N2_HS"), "10");
    EXPECT_EQ(text("N2_LS"), "51234");
    EXPECT_EQ(text("N1_HS"), "5");
    EXPECT_EQ(text("NC1_LS"), "100");
    EXPECT_EQ(text("BW"), "3");
    EXPECT_TRUE(control<QCheckBox>("OUT1EN")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("OUT2EN")->isChecked());

    ASSERT_TRUE(pumpUntil(
        [&] { return control<QLabel>("Label16")->text() == "Signal loss count: 7"; }, 5s));
    EXPECT_FALSE(control<QLabel>("LOS")->isVisibleTo(window.get()));
    EXPECT_TRUE(control<QLabel>("LOL")->isVisibleTo(window.get()));
    EXPECT_TRUE(warnings.isEmpty());
    // A refusal before the node's permissions were granted is not worth a word.
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(WindowOnUhid, AClockThisUserMayNotOpenIsNotListedAndIsToldOnce) {
    if (!uhidclock::nodeAccessDenied()) {
        GTEST_SKIP() << "needs a user without access to the node (TARNWELL_UHID_ACCESS=denied)";
    }
    UhidClockProcess rig({"UHID-P"});
    ASSERT_TRUE(rig.running());
    startWindow(1);
    EXPECT_TRUE(serials().isEmpty());
    ASSERT_TRUE(pumpUntil([&] { return !notices.isEmpty(); }, kReconnectTimeout));
    EXPECT_TRUE(notices[0].contains("UHID-P") && notices[0].contains("may not open"));
    // Past the next safety rescan: still refused, not told again.
    pumpUntil([] { return false; }, 4s);
    EXPECT_EQ(notices.size(), 1);
    EXPECT_FALSE(window->deviceOpen());
}

TEST_F(WindowOnUhid, OutputSwitchReachesTheClockAndIsReadBack) {
    UhidClockProcess rig({"UHID-W1"});
    ASSERT_TRUE(rig.running());
    startWindow(1);
    ASSERT_TRUE(showsReadyClock());
    ASSERT_TRUE(rig.request("clear-log UHID-W1").ok);

    control<QCheckBox>("OUT1EN")->setChecked(false);
    const std::vector<LoggedReport> sent =
        setFeatureReports(rig.log("UHID-W1"), CommandCode::CmdOutputEnable);
    ASSERT_EQ(sent.size(), 1u);
    std::vector<std::uint8_t> expected(65, 0);
    expected[1] = static_cast<std::uint8_t>(CommandCode::CmdOutputEnable);
    expected[2] = 0x02;  // output 2 stays on
    EXPECT_EQ(sent[0].bytes, expected);

    // Picking the open clock again reopens it and reads what it now holds.
    window->SerNo_Click();
    ASSERT_TRUE(showsReadyClock());
    EXPECT_FALSE(control<QCheckBox>("OUT1EN")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("OUT2EN")->isChecked());
}

TEST_F(WindowOnUhid, FindFor10MHzProgramsTheClockTwice) {
    UhidClockProcess rig({"UHID-W1"});
    ASSERT_TRUE(rig.running());
    startWindow(1);
    ASSERT_TRUE(showsReadyClock());
    ASSERT_TRUE(rig.request("clear-log UHID-W1").ok);

    control<QLineEdit>("Out1Freq")->setText("10000000");
    window->FindFreq_Click();

    const std::vector<LoggedReport> programmed =
        setFeatureReports(rig.log("UHID-W1"), CommandCode::CmdSetFrequency);
    ASSERT_EQ(programmed.size(), 2u);
    EXPECT_EQ(programmed[0], programmed[1]);
    const std::vector<std::uint8_t>& report = programmed[0].bytes;
    ASSERT_EQ(report.size(), 65u);
    // 4687500 Hz reference, N31 5, N2_HS 11, N2_LS 512, N1_HS 11, NC1_LS = NC2_LS = 48.
    const std::vector<std::uint8_t> settings = {0x8C, 0x86, 0x47, 4, 0, 0,  7, 0xFF, 0x01,
                                                0x00, 7,    47,   0, 0, 47, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(report.begin() + 2, report.begin() + 19), settings);
    EXPECT_TRUE(std::all_of(report.begin() + 21, report.end(), [](auto b) { return b == 0; }));
    EXPECT_EQ(text("Out1Freq"), "10000000");
    EXPECT_TRUE(warnings.isEmpty());

    // The clock keeps the setting: reading it again shows what Find chose.
    window->SerNo_Click();
    ASSERT_TRUE(showsReadyClock());
    EXPECT_EQ(text("GPS"), "4687500");
    EXPECT_EQ(text("N31"), "5");
    EXPECT_EQ(text("N2_LS"), "512");
    EXPECT_EQ(text("Out1Freq"), "10000000");
}

TEST_F(WindowOnUhid, UnplugEmptiesTheWindowWithinOnePollAndReplugRestoresIt) {
    UhidClockProcess rig({"UHID-W1"});
    ASSERT_TRUE(rig.running());
    startWindow(1);
    ASSERT_TRUE(showsReadyClock());
    ASSERT_TRUE(pumpTicks(1));  // a good read: from now on the timer polls every 500 ms

    ASSERT_TRUE(rig.request("unplug UHID-W1").ok);
    ASSERT_TRUE(pumpTicks(1));
    EXPECT_FALSE(window->deviceOpen());
    EXPECT_FALSE(window->commandGateOpen());
    EXPECT_TRUE(serials().isEmpty());
    EXPECT_FALSE(control<QComboBox>("SerNo")->isEnabled());
    EXPECT_EQ(text("GPS"), "");
    EXPECT_FALSE(control<QCheckBox>("OUT1EN")->isEnabled());

    ASSERT_TRUE(rig.request("plug UHID-W1").ok);
    ASSERT_TRUE(pumpUntil([&] { return showsReadyClock(); }, kReconnectTimeout));
    EXPECT_EQ(serials(), QStringList{"UHID-W1"});
    EXPECT_EQ(text("GPS"), "10000000");
    EXPECT_TRUE(control<QCheckBox>("OUT1EN")->isEnabled());
}

TEST_F(WindowOnUhid, TwoClocksAreListedAndTheOnePickedIsOpened) {
    UhidClockProcess rig({"UHID-W1", "UHID-W2"});
    ASSERT_TRUE(rig.running());
    ASSERT_TRUE(rig.request("status UHID-W1 11 0").ok);
    ASSERT_TRUE(rig.request("status UHID-W2 22 0").ok);
    startWindow(2);

    QComboBox* list = control<QComboBox>("SerNo");
    QStringList listed = serials();
    EXPECT_EQ(listed.size(), 2);
    EXPECT_TRUE(listed.contains("UHID-W1"));
    EXPECT_TRUE(listed.contains("UHID-W2"));
    EXPECT_TRUE(list->isEnabled());
    EXPECT_EQ(list->currentIndex(), 1) << "the last clock listed is opened";
    ASSERT_TRUE(showsReadyClock());

    // Each clock counts differently, so the status line tells which one is open.
    const auto lossCountOf = [](const QString& serial) {
        return QString("Signal loss count: ") + (serial == "UHID-W1" ? "11" : "22");
    };
    const QString other = listed[0];
    list->setCurrentIndex(0);
    ASSERT_TRUE(showsReadyClock());
    ASSERT_TRUE(
        pumpUntil([&] { return control<QLabel>("Label16")->text() == lossCountOf(other); }, 5s));
    EXPECT_EQ(list->currentText(), other);
}

}  // namespace
}  // namespace tarnwell
