#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <string_view>

#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

using OutputsTest = WindowFixture;

TEST_F(OutputsTest, EnableIdentifyAndDriveSendOneFullReportEach) {
    VirtualClock& clock = addClock(u"A");
    start();
    control<QCheckBox>("OUT1EN")->setChecked(false);
    control<QCheckBox>("OUT1EN")->setChecked(true);
    control<QComboBox>("Enc1")->setCurrentIndex(3);
    for (const char* button : {"OUT1ID", "OUT1ID", "OUT1ID", "OUT2ID", "OUT1ID", "OUT1ID", "OUT2ID",
                               "OUT1ID", "OUT2ID"}) {
        control<QPushButton>(button)->click();
    }
    // Re-picking the entry shown sends again; a pick that changes it sends once.
    auto* enc1 = control<QComboBox>("Enc1");
    QCoreApplication::processEvents();  // as before any pick by hand
    enc1->activated(3);
    enc1->setCurrentIndex(2);
    enc1->activated(2);
    EXPECT_EQ(payloadBytes(clock), (std::vector{2, 3, 3, 1, 0, 1, 2, 1, 0, 2, 1, 2, 3, 2}));
    for (const ReceivedFeatureReport& report : clock.receivedReports()) {
        ASSERT_EQ(report.bytes.size(), 65u);
        EXPECT_EQ(std::count(report.bytes.begin() + 3, report.bytes.end(), 0), 62);
    }

    // A fresh read starts with identification off, for either output.
    for (const char* button : {"OUT2ID", "OUT1ID"}) {
        control<QPushButton>(button)->click();
        window().ReadDeviceConfig();
        control<QPushButton>(button)->click();
        EXPECT_EQ(payloadBytes(clock).back(), button == std::string_view("OUT1ID") ? 1 : 2);
    }
}

TEST_F(OutputsTest, NothingIsSentWithTheGateShut) {
    VirtualClockDescription shortReports;
    shortReports.featureReportLength = 2;  // too short for any command
    VirtualClock& tooShort = backend.addClock(shortReports);
    start();
    control<QPushButton>("OUT1ID")->click();
    control<QCheckBox>("OUT2EN")->setChecked(true);
    EXPECT_TRUE(tooShort.receivedReports().empty());

    tooShort.unplug();
    tick();
    control<QPushButton>("OUT1ID")->click();
    control<QCheckBox>("OUT2EN")->setChecked(false);
    control<QComboBox>("Enc1")->setCurrentIndex(1);
    EXPECT_TRUE(tooShort.receivedReports().empty());
}

TEST_F(OutputsTest, PickingAnOutput2EntryWritesItsDivider) {
    const PllBoxValues pll{10000000, 1, 10, 48, 8, 6, 6, 0, 0};
    addClock(u"A", &pll);
    start();
    EXPECT_TRUE(enabled("PhaseBox"));
    control<QComboBox>("OUT2")->setCurrentIndex(0);
    EXPECT_EQ(text("NC2_LS"), "2");
    EXPECT_FALSE(enabled("PhaseBox"));
    control<QComboBox>("OUT2")->setCurrentIndex(2);
    EXPECT_EQ(text("NC2_LS"), "6");
    control<QLineEdit>("NC2_LS")->setText("10");
    QCoreApplication::processEvents();
    control<QComboBox>("OUT2")->activated(2);  // re-picked: the divider of the entry again
    EXPECT_EQ(text("NC2_LS"), "6");
    EXPECT_TRUE(enabled("PhaseBox"));
    control<QLineEdit>("Out1Freq")->setText("1E8");  // the same frequency, another text
    EXPECT_FALSE(enabled("PhaseBox"));
}

}  // namespace
}  // namespace tarnwell::testing
