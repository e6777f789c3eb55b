#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

#include <gtest/gtest.h>

#include "Demo.h"
#include "OffscreenApplication.h"

namespace tarnwell::demo {
namespace {

// The demo as the program starts it, with the window's pauses skipped and its warning boxes
// recorded. Clock 1 is T5240342, clock 2 is TW240117, the one the window opens first.
class DemoWiringTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { tarnwell::testing::ensureOffscreenApplication(); }

    DemoWiringTest()
        : demo([](std::chrono::milliseconds) {},
               [this](QWidget&, const QString& title, const QString& text) {
                   warnings.push_back(title + ": " + text);
               }) {
        demo.start();
    }

    void poll() { demo.window().Timer_Timer(); }

    template <typename Control>
    Control* simulator(int clockNumber, const char* name) {
        auto* group =
            demo.simulator().findChild<QGroupBox*>(QStringLiteral("Clock%1").arg(clockNumber));
        EXPECT_NE(group, nullptr) << clockNumber;
        auto* found = group ? group->findChild<Control*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // The clock's log without the times.
    QStringList log(int clockNumber) {
        const QString text =
            simulator<QPlainTextEdit>(clockNumber, "ReceivedReports")->toPlainText();
        QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString& line : lines)
            line.remove(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  ")));
        return lines;
    }
    VirtualClock& clock(int clockNumber) { return *demo.clocks().clocks().at(clockNumber - 1); }

    template <typename Control = QWidget>
    Control* window(const char* name) {
        auto* found = demo.window().findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* name) { return window<QLineEdit>(name)->text(); }
    QString caption(const char* name) { return window<QLabel>(name)->text(); }
    bool shown(const char* name) { return window(name)->isVisibleTo(&demo.window()); }
    QStringList serials() {
        auto* list = window<QComboBox>("SerNo");
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries.append(list->itemText(i));
        return entries;
    }

    QStringList warnings;
    Demo demo;
};

TEST_F(DemoWiringTest, UnpluggingEmptiesTheWindowOnItsNextPollAndReplugRestoresIt) {
    EXPECT_EQ(serials(), (QStringList{"T5240342", "TW240117"}));
    EXPECT_EQ(window<QComboBox>("SerNo")->currentText(), "TW240117");
    EXPECT_EQ(text("N2_LS"), "480");

    simulator<QCheckBox>(2, "PluggedIn")->setChecked(false);
    EXPECT_EQ(serials().size(), 2);  // the window learns of it by polling
    poll();
    EXPECT_EQ(serials(), QStringList{"T5240342"});
    EXPECT_EQ(text("N2_LS"), "512");

    simulator<QCheckBox>(1, "PluggedIn")->setChecked(false);
    poll();
    EXPECT_TRUE(serials().isEmpty());
    EXPECT_EQ(caption("lblManuf"), "");
    EXPECT_EQ(text("GPS"), "");
    EXPECT_FALSE(window("Frame3")->isEnabled());
    EXPECT_FALSE(demo.window().commandGateOpen());

    simulator<QCheckBox>(1, "PluggedIn")->setChecked(true);
    simulator<QCheckBox>(2, "PluggedIn")->setChecked(true);
    poll();
    EXPECT_EQ(serials(), (QStringList{"T5240342", "TW240117"}));
    EXPECT_EQ(window<QComboBox>("SerNo")->currentText(), "TW240117");
    EXPECT_EQ(caption("lblManuf"), " Tarnwell Labs");
    EXPECT_EQ(text("N2_LS"), "480");
    EXPECT_TRUE(demo.window().commandGateOpen());
    EXPECT_EQ(log(2), (QStringList{"(unplugged)", "(plugged in)"}));
}

TEST_F(DemoWiringTest, StatusControlsShowAndHideTheWarningsOfTheOpenClockOnly) {
    poll();
    EXPECT_FALSE(shown("LOS") || shown("LOL"));
    EXPECT_EQ(caption("Label16"), "Signal loss count: 0");

    simulator<QCheckBox>(2, "GpsSignal")->setChecked(false);
    simulator<QSpinBox>(2, "SignalLossCount")->setValue(7);
    poll();
    EXPECT_TRUE(shown("LOS"));
    EXPECT_FALSE(shown("LOL"));
    EXPECT_EQ(caption("Label16"), "Signal loss count: 7");

    simulator<QCheckBox>(2, "PllLock")->setChecked(false);
    simulator<QCheckBox>(2, "GpsSignal")->setChecked(true);
    simulator<QSpinBox>(2, "SignalLossCount")->setValue(255);
    poll();
    EXPECT_FALSE(shown("LOS"));
    EXPECT_TRUE(shown("LOL"));
    EXPECT_EQ(caption("Label16"), "Signal loss count: 255");

    simulator<QCheckBox>(2, "PllLock")->setChecked(true);
    simulator<QCheckBox>(1, "PllLock")->setChecked(false);
    simulator<QCheckBox>(1, "GpsSignal")->setChecked(false);
    poll();
    EXPECT_FALSE(shown("LOS") || shown("LOL"));
}

TEST_F(DemoWiringTest, FailNextCommandFailsOneSendOfThatClockAndTheLogSaysSo) {
    simulator<QCheckBox>(1, "FailNextCommand")->setChecked(true);
    simulator<QCheckBox>(2, "FailNextCommand")->setChecked(true);
    window<QPushButton>("OUT1ID")->click();
    EXPECT_EQ(clock(2).state().identifySelection, 0);
    EXPECT_TRUE(clock(2).receivedReports().empty());
    EXPECT_EQ(log(2), QStringList{"send failed: identify output 1"});
    EXPECT_FALSE(simulator<QCheckBox>(2, "FailNextCommand")->isChecked());
    EXPECT_TRUE(simulator<QCheckBox>(1, "FailNextCommand")->isChecked());

    window<QPushButton>("OUT2ID")->click();
    EXPECT_EQ(clock(2).state().identifySelection, 2);
    EXPECT_EQ(log(2).last(), "identify output 2");

    // Asked for and taken back: the send goes through.
    simulator<QCheckBox>(2, "FailNextCommand")->setChecked(true);
    simulator<QCheckBox>(2, "FailNextCommand")->setChecked(false);
    window<QCheckBox>("OUT2EN")->click();
    EXPECT_EQ(clock(2).state().outputEnables, kOutput1EnabledBit);
    EXPECT_EQ(log(2).last(), "enable outputs: 1 on, 2 off");
    EXPECT_TRUE(log(1).isEmpty());
}

TEST_F(DemoWiringTest, FindProgramsTheSelectedClockWithTheBandwidthItsSerialGives) {
    window<QComboBox>("SerNo")->setCurrentIndex(0);
    EXPECT_EQ(text("BW"), "6");
    window<QLineEdit>("Out1Freq")->setText(QStringLiteral("25000000"));
    window<QPushButton>("FindFreq")->click();
    const QString programmed =
        "set frequency: GPS 4687500, N31 5, N2_HS 11, N2_LS 480, N1_HS 11, NC1_LS 18, NC2_LS 18, "
        "phase 0, BW 6";
    EXPECT_EQ(log(1), (QStringList{programmed, programmed}));
    EXPECT_TRUE(log(2).isEmpty());
    EXPECT_TRUE(warnings.isEmpty());
}

}  // namespace
}  // namespace tarnwell::demo
