#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "CommandLog.h"
#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

using namespace std::chrono_literals;

class NearestTest : public WindowFixture {
protected:
    void answerWith(const QString& choice) {
        answer = [choice](const QStringList& choices) { return int(choices.indexOf(choice)); };
    }
    QStringList settingBoxes() {
        return {text("GPS"),   text("N31"),    text("N2_HS"),  text("N2_LS"),
                text("N1_HS"), text("NC1_LS"), text("NC2_LS"), text("BW")};
    }
};

// 9999991 Hz has no exact setting; 9999990 and 9999992 Hz have one.
TEST_F(NearestTest, NotFoundOffersTheNearestAndClosingWithoutAChoiceChangesNothingMore) {
    VirtualClock& clock = addClock(u"A");
    start();
    const QStringList before = QStringList{text("GPS"), text("N31"), text("N2_LS"), text("F3lbl")}
                               << items("OUT2") << items("PhaseBox");
    QStringList whenAsked;
    answer = [&](const QStringList&) {
        whenAsked = settingBoxes();
        return -1;
    };
    find("9999991");
    ASSERT_EQ(questions.size(), 1u);
    const QStringList lines = questions[0].text.split('\n');
    EXPECT_EQ(lines.value(0).toStdString(), "Not found: Failed to find settings for 9999991 Hz");
    for (const char* part :
         {"Nearest below with an exact setting: 9999990 Hz (-1 Hz, -0.1 ppm)",
          "Nearest above with an exact setting: 9999992 Hz (+1 Hz, +0.1 ppm)",
          "Closest setting: 9999990.99995475 Hz (220999801099/22100 Hz), off by -0.0000452 Hz "
          "(-0.00452 ppb)",
          "GPS 4748293, N31 68, N2_HS 7, N2_LS 13298, N1_HS 5, NC1_LS 130, NC2_LS 130"})
        EXPECT_TRUE(lines.contains(part)) << part << "\n" << questions[0].text.toStdString();
    EXPECT_EQ(questions[0].choices,
              (QStringList{"Use 9999990 Hz", "Use 9999992 Hz", "Fill in the closest setting"}));

    // No choice: the failure as the search left it.
    EXPECT_EQ(settingBoxes(), whenAsked);
    EXPECT_EQ(QStringList({text("GPS"), text("N31"), text("N2_LS"), text("F3lbl")})
                  << items("OUT2") << items("PhaseBox"),
              before);
    EXPECT_EQ(text("Label13"), "Not Found");
    EXPECT_FALSE(enabled("SetFreq"));
    EXPECT_FALSE(window().searchRunning());
    EXPECT_TRUE(clock.receivedReports().empty());
}

TEST_F(NearestTest, ChoosingANearestExactFrequencyFindsAndProgramsIt) {
    VirtualClock& clock = addClock(u"A");
    start();
    answerWith("Use 9999990 Hz");
    find("9999991");
    EXPECT_EQ(questions.size(), 1u);  // the second search finds its setting and asks nothing
    EXPECT_EQ(text("Out1Freq"), "9999990");
    EXPECT_EQ(settingBoxes(), (QStringList{"2962960", "3", "11", "486", "11", "48", "48", "15"}));
    EXPECT_EQ(reportsOf(clock, CommandCode::CmdSetFrequency).size(), 2u);
    EXPECT_TRUE(enabled("SetFreq"));
}

TEST_F(NearestTest, ChoosingTheClosestSettingFillsTheBoxesAndOnlyUpdateSendsIt) {
    VirtualClock& clock = addClock(u"A");
    start();
    answerWith("Fill in the closest setting");
    find("9999991");
    EXPECT_EQ(settingBoxes(),
              (QStringList{"4748293", "68", "7", "13298", "5", "130", "130", "15"}));
    EXPECT_EQ(text("Out1Freq"), "9999990.99995475");
    EXPECT_EQ(items("OUT2").size(), 65);
    EXPECT_EQ(text("OUT2"), "9999990.99995475");
    EXPECT_EQ(items("PhaseBox").size(), 130);
    EXPECT_TRUE(enabled("PhaseBox"));
    EXPECT_EQ(text("F3lbl"), "F3 = 69827 Hz ");
    EXPECT_EQ(text("Fosclbl"), "Fosc = 6.4999 GHz ");
    EXPECT_EQ(text("SetFreq"), "Update");
    EXPECT_TRUE(enabled("SetFreq"));
    EXPECT_TRUE(clock.receivedReports().empty());

    control<QPushButton>("SetFreq")->click();
    const ReportBytes sent = commandReport(
        CommandCode::CmdSetFrequency, {0x05, 0x74, 0x48, 0x43, 0x00, 0x00, 0x03, 0xF1, 0x33, 0x00,
                                       0x01, 0x81, 0x00, 0x00, 0x81, 0x00, 0x00, 0x00, 0x0F});
    EXPECT_EQ(reportsOf(clock, CommandCode::CmdSetFrequency), (std::vector{sent, sent}));
}

TEST_F(NearestTest, WhileLookingFindAndUpdateAreIgnoredAndClosingTheWindowAbandonsIt) {
    VirtualClock& clock = addClock(u"A");
    start();
    window().setSearchYieldInterval(0ms);
    bool looked = false;
    QTimer everyYield;
    QObject::connect(&everyYield, &QTimer::timeout, [&] {
        if (looked || text("Label13") != "Nearest?")
            return;
        looked = true;
        control<QLineEdit>("Out1Freq")->setText("10000000");
        window().FindFreq_Click();
        window().SetFreq_Click();
        window().close();
    });
    everyYield.start(0);
    find("9999991");
    EXPECT_TRUE(looked);
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(clock.receivedReports().empty());
    EXPECT_FALSE(window().searchRunning());
    EXPECT_EQ(text("SetFreq"), "Update");
}

}  // namespace
}  // namespace tarnwell::testing
